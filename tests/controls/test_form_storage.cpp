#include "controls/form_storage.h"
#include "controls/str_utils.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

const QStringList kStoredProps = {"CB_Coment.Items",  "CB_Operator.Items", "CB_Coment.Text",
                                  "CB_Operator.Text", "CB_baudrate.Items", "CB_baudrate.Text",
                                  "CB_ComPort.Text",  "CB_ComPort.Items",  "CB_ComPort.Tag",
                                  "CB_baudrate.Tag"};

// A readout-like window: its history combos start with six empty entries.
class TForm_Read : public QDialog {
  Q_OBJECT
 public:
  TForm_Read() {
    auto combo = [this](const char* name, bool editable, const QStringList& items) {
      auto* c = new QComboBox(this);
      c->setObjectName(name);
      c->setEditable(editable);
      c->addItems(items);
      return c;
    };
    const QStringList six(6, QString());
    CB_Operator = combo("CB_Operator", true, six);
    CB_Coment = combo("CB_Coment", true, six);
    CB_ComPort = combo("CB_ComPort", false, {"COM1", "COM2", "COM3", "COM4"});
    CB_baudrate =
        combo("CB_baudrate", false, {"Авто", "9600", "19200", "38400", "57600", "115200"});
    CB_ComPort->setProperty("Tag", 0);
    CB_baudrate->setProperty("Tag", 0);
    FormStorage_Read = new TFormStorage(this);
    FormStorage_Read->setObjectName("FormStorage_Read");
    FormStorage_Read->Options = 0;
    FormStorage_Read->UseRegistry = true;
    FormStorage_Read->SetStoredProps(kStoredProps);
    TStoredValue* two = FormStorage_Read->StoredValues().Add();
    two->SetName("2");
    two->Value = QString("0");
    two->KeyString = "kzv";
    FormStorage_Read->StoredValues().Add();
  }
  QComboBox* CB_Operator;
  QComboBox* CB_Coment;
  QComboBox* CB_ComPort;
  QComboBox* CB_baudrate;
  TFormStorage* FormStorage_Read;
  QString textAtShow;

 protected:
  void showEvent(QShowEvent* e) override {
    QDialog::showEvent(e);
    textAtShow = CB_Operator->currentText();  // the window's own show handler
  }
};

// A window whose own close handling may refuse.
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

// Each test starts from an empty program key and leaves none behind.
struct FormStorageTest : ::testing::Test {
  SettingsStore store{SettingsRoot::CurrentUser};
  FormStorageTest() { store.EraseSection(Key()); }
  ~FormStorageTest() override { store.EraseSection(Key()); }
};

TEST_F(FormStorageTest, ReadoutWindowLayoutInTheCurrentUsersStore) {
  {
    TForm_Read form;
    form.show();
    form.CB_Operator->setItemText(0, "Иванов");
    form.CB_Operator->setEditText("Иванов");
    form.CB_Coment->setEditText("  note  ");
    form.CB_ComPort->setCurrentIndex(2);
    form.CB_ComPort->setProperty("Tag", 2);
    form.CB_baudrate->setCurrentIndex(3);
    form.CB_baudrate->setProperty("Tag", 3);
    form.close();
    EXPECT_TRUE(form.FormStorage_Read->Saved());
  }
  EXPECT_EQ(store.ValueNames(Key() + "\\TForm_Read"),
            QStringList({"FormVersion", "CB_Coment_Text", "CB_Operator_Text", "CB_baudrate_Text",
                         "CB_ComPort_Text", "CB_ComPort_Tag", "CB_baudrate_Tag", "2", ""}));
  const char* values[][3] = {{"", "FormVersion", "0"},
                             {"", "CB_Coment_Text", "note"},
                             {"", "CB_ComPort_Tag", "2"},
                             {"", "CB_baudrate_Text", "38400"},
                             {"", "2", "5b"},
                             {"", "", ""},
                             {".CB_Operator_Items", "Count", "6"},
                             {".CB_Operator_Items", "Item0", "Иванов"},
                             {".CB_ComPort_Items", "Item3", "COM4"}};
  for (const auto& [sub, name, value] : values)
    EXPECT_EQ(Read(QString("\\TForm_Read") + sub, name), value) << name;
  EXPECT_EQ(store.SubKeys(Key()),
            QStringList({"TForm_Read", "TForm_Read.CB_Coment_Items", "TForm_Read.CB_Operator_Items",
                         "TForm_Read.CB_baudrate_Items", "TForm_Read.CB_ComPort_Items"}));

  // The next run gets it all back before its own show handler runs; the storage's show
  // and close handling and the placement's size hook share the window.
  TForm_Read form;
  form.FormStorage_Read->MinMaxInfo()->SetMinTrackWidth(320);
  form.FormStorage_Read->MinMaxInfo()->SetMinTrackHeight(200);
  int changes = 0;
  QObject::connect(form.CB_ComPort, &QComboBox::currentIndexChanged, [&] { ++changes; });
  form.show();
  EXPECT_EQ(form.textAtShow, "Иванов");
  EXPECT_EQ(form.CB_Operator->count(), 6);
  EXPECT_EQ(form.CB_Operator->itemText(0), "Иванов");
  EXPECT_EQ(form.CB_Coment->currentText(), "note");
  EXPECT_EQ(form.CB_ComPort->currentIndex(), 2);
  EXPECT_EQ(form.CB_baudrate->property("Tag").toInt(), 3);
  EXPECT_EQ(changes, 0);  // restoring notifies nobody
  EXPECT_EQ(form.FormStorage_Read->StoredValues().Items(0)->Value.toString(), "0");
  form.resize(100, 100);
  EXPECT_EQ(form.size(), QSize(320, 200));
  form.CB_Operator->setEditText("Сидоров");
  form.accept();  // a dialog's result closes it: saved
  EXPECT_EQ(Read("\\TForm_Read", "CB_Operator_Text"), "Сидоров");
}

TEST_F(FormStorageTest, StoredValuesAreDecodedAndHandEditsSurvive) {
  store.WriteString(Key() + "\\TForm_Read", "2", XorEncode("kzv", "7x"));
  {
    TForm_Read form;
    form.show();
    EXPECT_EQ(form.FormStorage_Read->StoredValues().Items(0)->Value.toString(), "7x");
    form.hide();
  }
  EXPECT_EQ(Read("\\TForm_Read", "2"), XorEncode("kzv", "7x"));
  store.WriteString(Key() + "\\TForm_Read", "2", "zz1");  // not hexadecimal
  TForm_Read form;
  form.show();
  EXPECT_EQ(form.FormStorage_Read->StoredValues().Items(0)->Value.toString(),
            QString(QChar(' ' ^ 'k')));
}

TEST_F(FormStorageTest, VersionsAndWindowsNeverShown) {
  {
    TForm_Read form;  // never shown: nothing written, also at destruction
  }
  EXPECT_FALSE(store.SectionExists(Key() + "\\TForm_Read"));

  store.WriteString(Key() + "\\TForm_Read", "FormVersion", "1");
  store.WriteString(Key() + "\\TForm_Read", "CB_Operator_Text", "old");
  {
    TForm_Read form;
    form.FormStorage_Read->Version = 2;  // newer design: the stored settings are ignored
    form.CB_Operator->setEditText("now");
    form.show();
    EXPECT_EQ(form.CB_Operator->currentText(), "now");
    EXPECT_TRUE(form.FormStorage_Read->Restored());
  }  // destroyed while shown: saved then
  EXPECT_EQ(Read("\\TForm_Read", "FormVersion"), "2");
  EXPECT_EQ(Read("\\TForm_Read", "CB_Operator_Text"), "now");
}

TEST_F(FormStorageTest, FailuresAreReportedAndDoNotStopTheWindow) {
  ScriptedMessageBox boxes;
  TForm_Read form;
  form.show();
  form.close();
  EXPECT_TRUE(form.FormStorage_Read->Saved());
  // The settings file becomes a directory: nothing can be read or saved.
  const QString path = SettingsStore::RootFilePath(SettingsRoot::CurrentUser);
  ASSERT_TRUE(QFile::remove(path));
  ASSERT_TRUE(QDir().mkpath(path));
  form.show();
  EXPECT_TRUE(form.isVisible());
  form.close();
  EXPECT_FALSE(form.isVisible());
  EXPECT_FALSE(form.FormStorage_Read->Saved());
  ASSERT_EQ(boxes.Boxes().size(), 2);  // the failed restore and the failed save
  EXPECT_EQ(boxes.Boxes()[1].caption, "Ошибка");
  EXPECT_EQ(boxes.Boxes()[1].icon, MsgIcon::Error);

  // A window whose first restore failed never saves.
  TForm_Read fresh;
  fresh.show();
  fresh.close();
  EXPECT_FALSE(fresh.FormStorage_Read->Restored());
  EXPECT_EQ(boxes.Boxes().size(), 3);
  QDir(path).removeRecursively();
}

TEST(StoredValuesTest, DuplicateNamesAreRefused) {
  QWidget window;
  TFormStorage storage(&window);
  TStoredValue* a = storage.StoredValues().Add();
  TStoredValue* b = storage.StoredValues().Add();
  a->SetName("Name");
  EXPECT_THROW(b->SetName("NAME"), std::runtime_error);
  EXPECT_EQ(b->Name(), "");
  a->SetName("name");  // its own name in another case
  EXPECT_EQ(storage.StoredValues().IndexOf("NAME"), 0);
}

// Saved after an accepted close only (not a plain hide), or by a direct call.
TEST(FormPlacementTest, IniFileWindowAndLinksSavedOnAnAcceptedClose) {
  ClosingWindow window;
  window.setGeometry(30, 40, 200, 100);
  TFormPlacement placement(&window);
  placement.UseRegistry = false;
  placement.SetIniFileName("place.INI");
  placement.SetIniSection("Main");
  TIniLink link;
  link.SetStorage(&placement);
  EXPECT_EQ(link.RootSection(), "Main\\");
  int saves = 0;
  link.OnSave = [&](TIniLink* l) {
    ++saves;
    IniWriteString(l->SettingsObject(), "Main\\Bar", "v", "1");
  };
  window.show();
  window.setGeometry(60, 70, 210, 110);
  window.hide();
  window.show();
  window.allowClose = false;
  EXPECT_FALSE(window.close());
  EXPECT_EQ(saves, 0);
  window.allowClose = true;
  EXPECT_TRUE(window.close());
  EXPECT_EQ(saves, 1);
  window.setGeometry(0, 0, 50, 50);
  window.show();
  EXPECT_EQ(window.geometry(), QRect(60, 70, 210, 110));

  // Called directly, an inactive placement saves though it never restored.
  ClosingWindow other;
  TFormPlacement direct(&other);
  direct.SetIniFileName("place.INI");
  direct.SetIniSection("D");
  direct.Active = false;
  direct.SaveFormPlacement();
  EXPECT_TRUE(direct.Saved());
  auto ini = TSettingsObject::OpenIniFile("place.INI");
  EXPECT_EQ(IniReadString(ini.get(), "Main", "NormPos", ""), "60,70,270,180");
  EXPECT_EQ(IniReadString(ini.get(), "Main", "Visible", ""), "0");
  EXPECT_EQ(IniReadString(ini.get(), "Main\\Bar", "v", ""), "1");
  EXPECT_EQ(IniReadString(ini.get(), "D", "FormVersion", ""), "0");
}

TEST(FormPlacementTest, SizeLimitsHoldAgainstTheProgramAndTheWindowSystem) {
  QWidget window;
  window.resize(400, 300);
  TFormPlacement placement(&window);
  placement.MinMaxInfo()->SetMinTrackWidth(300);
  placement.MinMaxInfo()->SetMaxTrackHeight(350);
  window.show();
  window.resize(100, 500);
  EXPECT_EQ(window.size(), QSize(300, 350));
  window.windowHandle()->resize(120, 600);  // as a window manager would
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(window.size(), QSize(300, 350));
  placement.MinMaxInfo()->SetMinTrackWidth(0);  // no limits: the window's own come back
  placement.MinMaxInfo()->SetMaxTrackHeight(0);
  window.resize(100, 500);
  EXPECT_EQ(window.size(), QSize(100, 500));

  QWidget fixed;
  fixed.resize(250, 150);
  TFormPlacement prevent(&fixed);
  fixed.show();
  prevent.SetPreventResize(true);
  EXPECT_TRUE(fixed.isVisible());
  EXPECT_FALSE(fixed.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  fixed.resize(400, 300);
  fixed.windowHandle()->resize(500, 400);
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(fixed.size(), QSize(250, 150));
  prevent.SetPreventResize(false);
  EXPECT_TRUE(fixed.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
  fixed.resize(400, 300);
  EXPECT_EQ(fixed.size(), QSize(400, 300));
}

}  // namespace

#include "test_form_storage.moc"
