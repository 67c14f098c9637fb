#include "controls/form_storage.h"
#include "controls/str_utils.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"
#include "tests/support/test_files.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <sys/resource.h>
#include <utility>

namespace {

// A readout-like window: its history combo starts with six empty entries.
class TForm_Read : public QDialog {
  Q_OBJECT
 public:
  TForm_Read() {
    CB_Operator->setObjectName("CB_Operator");
    CB_Operator->setEditable(true);
    CB_Operator->addItems(QStringList(6, QString()));
    FormStorage_Read->setObjectName("FormStorage_Read");
    FormStorage_Read->Options = 0;
    FormStorage_Read->UseRegistry = true;
    FormStorage_Read->SetStoredProps({"CB_Operator.Items", "CB_Operator.Text"});
    TStoredValue* two = FormStorage_Read->StoredValues().Add();
    two->SetName("2");
    two->Value = QString("0");
    two->KeyString = "kzv";
    FormStorage_Read->StoredValues().Add();
  }
  QComboBox* CB_Operator = new QComboBox(this);
  TFormStorage* FormStorage_Read = new TFormStorage(this);
};

class ClosingWindow : public QWidget {
 public:
  bool allowClose = true;

 protected:
  void closeEvent(QCloseEvent* e) override { e->setAccepted(allowClose); }
};

QString Key() {
  return "Software\\" + QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

QString Read(const QString& section, const QString& name) {
  return SettingsStore(SettingsRoot::CurrentUser).ReadString(Key() + section, name, "<none>");
}

struct FormStorageTest : ::testing::Test {
  SettingsStore store{SettingsRoot::CurrentUser};
};

TEST_F(FormStorageTest, ReadoutWindowLayoutInTheCurrentUsersStore) {
  {
    TForm_Read form;
    form.show();
    form.CB_Operator->setItemText(0, "Иванов");
    form.CB_Operator->setEditText("  Иванов  ");
    form.close();
  }
  EXPECT_EQ(store.ValueNames(Key() + "\\TForm_Read"),
            QStringList({"FormVersion", "CB_Operator_Text", "2", ""}));
  EXPECT_EQ(Read("\\TForm_Read", "CB_Operator_Text"), "Иванов");  // trimmed
  EXPECT_EQ(Read("\\TForm_Read", "2"), "5b");                     // encoded with its key
  // The next run gets it all back; the storage's show and close handling and the
  // placement's size hook share the window.
  store.WriteString(Key() + "\\TForm_Read", "2", XorEncode("kzv", "7x"));
  TForm_Read form;
  form.FormStorage_Read->MinMaxInfo()->SetMinTrackWidth(320);
  int changes = 0;
  QObject::connect(form.CB_Operator, &QComboBox::currentTextChanged, [&] { ++changes; });
  form.show();
  EXPECT_EQ(form.CB_Operator->currentText(), "Иванов");
  EXPECT_EQ(changes, 0);  // restoring notifies nobody
  EXPECT_EQ(form.FormStorage_Read->StoredValues().Items(0)->Value.toString(), "7x");
  EXPECT_THROW(form.FormStorage_Read->StoredValues().Add()->SetName("2"), std::runtime_error);
  form.resize(100, 100);
  EXPECT_EQ(form.frameGeometry().width(), 320);  // the outer window's width
  EXPECT_EQ(form.height(), 100);
  form.CB_Operator->setEditText("Сидоров");
  form.accept();  // a dialog's result closes it: saved
  EXPECT_EQ(Read("\\TForm_Read", "CB_Operator_Text"), "Сидоров");
}

TEST_F(FormStorageTest, SavedWhenDestroyedShownOnlyIfShown) {
  {
    TForm_Read form;  // never shown: nothing written, also at destruction
  }
  EXPECT_FALSE(store.SectionExists(Key() + "\\TForm_Read"));
  {
    TForm_Read form;
    form.show();
    form.CB_Operator->setEditText("now");
  }  // destroyed while shown: saved then
  EXPECT_EQ(Read("\\TForm_Read", "CB_Operator_Text"), "now");
}

TEST_F(FormStorageTest, FailuresAreReportedAndDoNotStopTheWindow) {
  ScriptedMessageBox boxes;
  TForm_Read form;
  form.show();
  form.close();
  // The settings file becomes a directory: nothing can be read or saved.
  const QString path = SettingsStore::RootFilePath(SettingsRoot::CurrentUser);
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(QDir().mkpath(path));
  form.show();
  form.close();
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.FormStorage_Read->Saved());
  ASSERT_EQ(boxes.Boxes().size(), 2);  // the failed restore and the failed save
  EXPECT_EQ(boxes.Boxes()[1].caption, "Ошибка");

  // A window whose first restore failed never saves.
  TForm_Read fresh;
  fresh.show();
  fresh.close();
  EXPECT_EQ(boxes.Boxes().size(), 3);
  QDir(path).removeRecursively();
}

// The error box of a save cut short by the file-size limit says why, in Russian; the
// settings file stays as it was.
TEST_F(FormStorageTest, ASaveCutShortShowsItsCause) {
  ScriptedMessageBox boxes;
  TForm_Read form;
  form.show();
  form.close();
  const QString path = SettingsStore::RootFilePath(SettingsRoot::CurrentUser);
  const QByteArray before = jwtest::ReadBytes(path);
  form.show();
  form.CB_Operator->setEditText(QString(4000, u'x'));
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const rlimit small{static_cast<rlim_t>(before.size()), saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  form.close();
  setrlimit(RLIMIT_FSIZE, &saved);
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].text, "Настройки не сохранены: Не удаётся сохранить файл настроек " +
                                       path + ": Файл слишком велик");
  EXPECT_EQ(boxes.Boxes()[0].caption, "Ошибка");
  EXPECT_EQ(jwtest::ReadBytes(path), before);
}

// Saved after an accepted close only, not a plain hide.
TEST(FormPlacementTest, IniFileWindowAndLinksSavedOnAnAcceptedClose) {
  ClosingWindow window;
  window.setGeometry(30, 40, 200, 100);
  TFormPlacement placement(&window);
  placement.UseRegistry = false;
  placement.SetIniFileName("place.INI");
  placement.SetIniSection("Main");
  TIniLink link;
  link.SetStorage(&placement);
  int saves = 0;  // links write their own sections
  link.OnSave = [&](TIniLink* l) {
    ++saves;
    IniWriteString(l->SettingsObject(), l->RootSection() + "Bar", "v", "1");
  };
  window.show();
  window.setGeometry(60, 70, 210, 110);
  window.hide();
  window.show();
  window.allowClose = false;
  window.close();
  EXPECT_EQ(saves, 0);
  window.allowClose = true;
  window.close();
  EXPECT_EQ(saves, 1);
  window.setGeometry(0, 0, 50, 50);
  window.show();
  EXPECT_EQ(window.geometry(), QRect(60, 70, 210, 110));

  auto ini = TSettingsObject::OpenIniFile("place.INI");
  EXPECT_EQ(IniReadString(ini.get(), "Main", "NormPos", ""), "60,70,270,180");
  EXPECT_EQ(IniReadString(ini.get(), "Main\\Bar", "v", ""), "1");
}

// Limits hold against the program and the window system; without limits the window's own
// come back.
TEST(FormPlacementTest, SizeLimitsAndPreventResize) {
  QWidget window;
  window.resize(400, 300);
  TFormPlacement placement(&window);
  placement.MinMaxInfo()->SetMinTrackWidth(300);
  placement.MinMaxInfo()->SetMaxTrackHeight(350);
  window.show();
  window.resize(100, 500);
  EXPECT_EQ(window.frameGeometry().size(), QSize(300, 350));
  window.windowHandle()->resize(120, 600);  // as a window manager would
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(window.frameGeometry().size(), QSize(300, 350));
  placement.MinMaxInfo()->SetMinTrackWidth(0);
  placement.MinMaxInfo()->SetMaxTrackHeight(0);
  window.resize(100, 500);
  EXPECT_EQ(window.size(), QSize(100, 500));

  placement.SetPreventResize(true);
  EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  window.windowHandle()->resize(500, 400);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(window.size(), QSize(100, 500));
  placement.SetPreventResize(false);
  window.resize(400, 300);
  EXPECT_EQ(window.size(), QSize(400, 300));
}

QString Hints(Qt::WindowFlags flags) {
  const std::pair<Qt::WindowType, const char*> hints[] = {
      {Qt::CustomizeWindowHint, "Customize"}, {Qt::WindowTitleHint, "Title"},
      {Qt::WindowSystemMenuHint, "Menu"},     {Qt::WindowMinimizeButtonHint, "Min"},
      {Qt::WindowMaximizeButtonHint, "Max"},  {Qt::WindowCloseButtonHint, "Close"}};
  QStringList names;
  for (const auto& [hint, name] : hints)
    if (flags.testFlag(hint)) names << name;
  return names.join(' ');
}

// The window's buttons before, with and again without PreventResize; a shown window
// must stay shown and the window system must have the same flags as the widget.
QString ButtonsThroughPreventResize(QWidget& window, bool shown) {
  if (shown) window.show();
  TFormPlacement placement(&window);
  QStringList states{Hints(window.windowFlags())};
  for (bool prevent : {true, false}) {
    placement.SetPreventResize(prevent);
    QString state = Hints(window.windowFlags());
    if (shown && !window.isVisible()) state += " hidden";
    if (shown && window.windowHandle()->flags() != window.windowFlags())
      state += " (the window system has " + Hints(window.windowHandle()->flags()) + ")";
    states << state;
  }
  return states.join(" | ");
}

QWidget* WindowWithFlags(Qt::WindowFlags flags) {
  auto* window = new QWidget(nullptr, flags);
  window->resize(200, 100);
  return window;
}

QDialog* DialogWithMaximize() {
  auto* dialog = new QDialog;
  dialog->setWindowFlag(Qt::WindowMaximizeButtonHint);
  return dialog;
}

// The system-wide configuration folder (the first of XDG_CONFIG_DIRS) in a folder of its
// own for the object's life.
class SystemConfigFolder {
 public:
  SystemConfigFolder() : saved_(qgetenv("XDG_CONFIG_DIRS")) {
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(folder_.path()));
  }
  ~SystemConfigFolder() {
    if (saved_.isNull())
      qunsetenv("XDG_CONFIG_DIRS");
    else
      qputenv("XDG_CONFIG_DIRS", saved_);
  }
  SystemConfigFolder(const SystemConfigFolder&) = delete;
  SystemConfigFolder& operator=(const SystemConfigFolder&) = delete;
  QString Path() const { return folder_.path(); }

 private:
  QTemporaryDir folder_;
  QByteArray saved_;
};

std::unique_ptr<TFormPlacement> PlacementOn(TPlacementRegRoot root, QObject& owner) {
  auto placement = std::make_unique<TFormPlacement>(&owner);
  placement->UseRegistry = true;
  placement->RegistryRoot = root;
  placement->SetIniSection("Roots");
  return placement;
}

// Writes the root's number through one placement, reads it back through another, and
// says which root files hold it, in the user's or the system-wide folder.
QString RootReadsBack(TPlacementRegRoot root) {
  const SystemConfigFolder system;
  QObject owner;
  const QString value = QString::number(int(root));
  PlacementOn(root, owner)->WriteString("Root", value);
  QStringList found{PlacementOn(root, owner)->ReadString("Root", "<none>"), "in"};
  for (SettingsRoot store :
       {SettingsRoot::Classes, SettingsRoot::Users, SettingsRoot::CurrentUser,
        SettingsRoot::LocalMachine, SettingsRoot::CurrentConfig, SettingsRoot::DynData}) {
    const QFileInfo file(SettingsStore::RootFilePath(store));
    if (SettingsStore(file.filePath()).ReadString(GetDefaultIniRegKey() + "\\Roots", "Root") !=
        value)
      continue;
    const bool user =
        file.absolutePath() == QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const bool machine =
        file.absolutePath() == QDir(system.Path()).filePath(QCoreApplication::applicationName());
    found << (user ? "user/" : machine ? "system/" : file.absolutePath() + "/") + file.fileName();
  }
  return found.join(' ');
}

// PreventResize takes away and gives back the maximise button only, also while a modal
// dialog shows; size limits are the outer window's; only the window's destruction saves;
// every registry root is a store of its own.
TEST_F(FormStorageTest, PreventResizeSizeLimitsAndTheDestroySave) {
  const Qt::WindowFlags closeAndMaximize = Qt::Window | Qt::CustomizeWindowHint |
                                           Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                                           Qt::WindowMaximizeButtonHint;
  const struct {
    const char* item;
    std::function<QString()> run;
    QString expected;
  } rows[] = {
      {"a shown window with every button",
       [] { return ButtonsThroughPreventResize(*std::unique_ptr<QWidget>(new QWidget), true); },
       "Title Menu Min Max Close | Title Menu Min Close | Title Menu Min Max Close"},
      {"a hidden window with every button",
       [] { return ButtonsThroughPreventResize(*std::unique_ptr<QWidget>(new QWidget), false); },
       "Title Menu Min Max Close | Title Menu Min Close | Title Menu Min Max Close"},
      {"a window with only close and maximise",
       [&] {
         return ButtonsThroughPreventResize(
             *std::unique_ptr<QWidget>(WindowWithFlags(closeAndMaximize)), true);
       },
       "Customize Title Menu Max Close | Customize Title Menu Close | "
       "Customize Title Menu Max Close"},
      {"a window without buttons",
       [] {
         return ButtonsThroughPreventResize(
             *std::unique_ptr<QWidget>(
                 WindowWithFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)),
             true);
       },
       "Customize Title | Customize Title | Customize Title"},
      {"a dialog: its maximise button does not come back",
       [] {
         return ButtonsThroughPreventResize(*std::unique_ptr<QDialog>(DialogWithMaximize()), true);
       },
       "Title Menu Max Close | Title Menu Close | Title Menu Close"},
      {"a dialog without maximise",
       [] { return ButtonsThroughPreventResize(*std::unique_ptr<QDialog>(new QDialog), true); },
       "Title Menu Close | Title Menu Close | Title Menu Close"},
      {"a modal dialog goes on with exec() after PreventResize is set while it shows",
       [] {
         std::unique_ptr<QDialog> dialog(DialogWithMaximize());
         TFormPlacement placement(dialog.get());
         QString seen;
         QTimer::singleShot(0, dialog.get(), [&] {
           placement.SetPreventResize(true);
           QTimer::singleShot(0, dialog.get(), [&] {
             seen =
                 QString("%1 %2 %3")
                     .arg(dialog->isVisible() ? "shown" : "hidden",
                          QApplication::activeModalWidget() == dialog.get() ? "modal" : "modeless",
                          Hints(dialog->windowFlags()));
             dialog->done(7);
           });
         });
         const int result = dialog->exec();
         return QString("exec %1: %2").arg(result).arg(seen);
       },
       "exec 7: shown modal Title Menu Close"},
      {"tracking sizes limit the outer window, frame included",
       [] {
         QWidget window;
         TFormPlacement placement(&window);
         for (auto [set, value] : {std::pair(&TWinMinMaxInfo::SetMaxTrackWidth, 350),
                                   std::pair(&TWinMinMaxInfo::SetMinTrackHeight, 200)})
           (placement.MinMaxInfo()->*set)(value);
         window.show();
         window.resize(500, 100);
         const QRect outer = window.frameGeometry();
         return QString("%1x%2").arg(outer.width()).arg(outer.height());
       },
       "350x200"},
      {"a storage deleted while its window lives on saves nothing",
       [] {
         TForm_Read form;
         form.show();
         form.CB_Operator->setEditText("deleted");
         delete form.FormStorage_Read;
         return Read("\\TForm_Read", "CB_Operator_Text");
       },
       "<none>"},
      {"a window destroyed while shown saves",
       [] {
         {
           TForm_Read form;
           form.show();
           form.CB_Operator->setEditText("destroyed");
         }
         return Read("\\TForm_Read", "CB_Operator_Text");
       },
       "destroyed"},
      {"the local machine's root lies in the system-wide folder",
       [] { return RootReadsBack(TPlacementRegRoot::prLocalMachine); },
       "1 in system/local_machine.ini"},
      {"the current configuration's root",
       [] { return RootReadsBack(TPlacementRegRoot::prCurrentConfig); },
       "2 in user/current_config.ini"},
      {"the dynamic data's root", [] { return RootReadsBack(TPlacementRegRoot::prDynData); },
       "5 in user/dyn_data.ini"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.item);
    store.EraseSection(Key());
    EXPECT_EQ(row.run().toStdString(), row.expected.toStdString());
  }
}

// The local machine's store is read only where its folder cannot be written.
TEST(FormPlacementTest, TheLocalMachineRootIsReadOnlyWhereItCannotBeWritten) {
  const SystemConfigFolder system;
  QObject owner;
  PlacementOn(TPlacementRegRoot::prLocalMachine, owner)->WriteString("Root", "kept");
  const QString machine = QDir(system.Path()).filePath(QCoreApplication::applicationName());
  const auto readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                        QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
  ASSERT_TRUE(QFile::setPermissions(system.Path(), readOnly));
  ASSERT_TRUE(QFile::setPermissions(machine, readOnly));
  {
    const jwtest::AsAnotherUser other;
    try {
      PlacementOn(TPlacementRegRoot::prLocalMachine, owner)->WriteString("Root", "changed");
      ADD_FAILURE() << "written";
    } catch (const std::runtime_error& e) {
      EXPECT_TRUE(QString::fromUtf8(e.what()).endsWith("Доступ запрещён")) << e.what();
    }
    EXPECT_EQ(PlacementOn(TPlacementRegRoot::prLocalMachine, owner)->ReadString("Root", ""),
              "kept");
  }
  QFile::setPermissions(machine, readOnly | QFileDevice::WriteOwner);
  QFile::setPermissions(system.Path(), readOnly | QFileDevice::WriteOwner);
}

}  // namespace

#include "test_form_storage.moc"
