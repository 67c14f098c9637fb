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
  EXPECT_EQ(form.size(), QSize(320, 100));
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
  EXPECT_EQ(window.size(), QSize(300, 350));
  window.windowHandle()->resize(120, 600);  // as a window manager would
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_EQ(window.size(), QSize(300, 350));
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

}  // namespace

#include "test_form_storage.moc"
