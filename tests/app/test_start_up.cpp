// The start-up order, the splash, the About window and the shell links.
#include "app/start_up.h"
#include "controls/settings_access.h"
#include "controls/xc_label.h"
#include "mainwindow/file_type_registration.h"
#include "mainwindow/program_picture.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"
#include "tests/support/test_files.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    programFile_ = temp_.filePath("jibwarden");
  }
  // The settings files, damaged on purpose by some tests, must not reach the next test.
  void TearDown() override {
    QDir(QFileInfo(SettingsStore::RootFilePath(SettingsRoot::CurrentUser)).absolutePath())
        .removeRecursively();
  }
  // The read command with the readout window closed at once, a comment typed when given.
  static void OpenAndCloseReadout(AppWindows& w, const QString& comment = {}) {
    QTimer::singleShot(0, w.Form_Read.get(), [&w, comment] {
      if (!comment.isEmpty()) w.Form_Read->CB_Coment->setEditText(comment);
      w.Form_Read->reject();
    });
    w.Form_main->SpeedBtn_ReadClick();
  }
  QTemporaryDir temp_;
  QString programFile_;
};

TEST_F(StartUpTest, SixteenWindowsInTheirOrderWithOnlyTheMainWindowShown) {
  std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
  EXPECT_EQ(w->CreationOrder,
            (QStringList{"TForm_main", "TForm_Read", "TForm_About", "TForm_NastrGraf",
                         "TForm_GrafPoint", "TForm_TableSearsh", "TForm_PrintTPCR", "TForm_PrintTP",
                         "TForm_PrintParam", "TForm_PrintGraf", "TForm_Flash", "TForm_Palm",
                         "TForm_Searsh", "TForm_PrintDialog", "TformView1", "TFormView2"}));
  for (QWidget* top : QApplication::topLevelWidgets())
    EXPECT_EQ(top->isVisible(), top == w->Form_main.get()) << top->objectName().toStdString();
  // The start-up work ran on show: the data directory is set.
  EXPECT_EQ(w->Form_main->DataDirectory, temp_.path());
}

// The title the window system shows: on X11 Qt appends a display name set for the application.
QString ShownTitle(const QWidget* window) {
  const QString name = QGuiApplication::applicationDisplayName();
  if (name == QCoreApplication::applicationName()) return window->windowTitle();
  return window->windowTitle() + QStringLiteral(" \u2014 ") + name;
}

TEST_F(StartUpTest, EachTitleIsItsWindowsCaptionAndTheApplicationTitleNamesTheProgram) {
  SetUpApplication();
  std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
  const std::pair<QWidget*, QString> captions[] = {
      {w->Form_main.get(), "Jibwarden - Работа с регистратором параметров v 2.0.6 (25.12.2004)"},
      {w->Form_Read.get(), "Считывание нового регистратора"},
      {w->Form_About.get(), "О программе "},
      {w->Form_NastrGraf.get(), "Настрока графиков"},
      {w->Form_GrafPoint.get(), "Просмотр точек графика"},
      {w->Form_TableSearsh.get(), "Условия поиска"},
      {w->Form_Flash.get(), "Jibwarden"},
      {w->Form_Palm.get(), "Преобразование файла"},
      {w->Form_Searsh.get(), "Поиск значений"},
      {w->Form_PrintDialog.get(), "Печать отчета"},
      {w->formView1.get(), "Расшифровка данных, Kvarel-10"},
      {w->FormView2.get(), "Расшифровка данных, Kvarel-02"},
  };
  for (const auto& [window, caption] : captions)
    EXPECT_EQ(ShownTitle(window), caption) << window->objectName().toStdString();
  // The application title names the desktop entry the program's windows belong to; the
  // windows carry the program's picture, the icon of its data files too.
  EXPECT_EQ(QGuiApplication::desktopFileName(), "jibwarden");
  EXPECT_EQ(QGuiApplication::windowIcon().pixmap(32).toImage(), ProgramPicture(32).toImage());
  const QByteArray entry =
      jwtest::ReadBytes(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        "/applications/jibwarden.desktop");
  EXPECT_TRUE(
      QString::fromUtf8(entry).contains("\nName=Jibwarden - Работа с регистратором параметров\n"));
}

TEST_F(StartUpTest, StandardDialogsSpeakRussian) {
  SetUpApplication();
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Отмена");
}

// The About window's icon and links, the help and the web and mail commands open through the
// desktop shell.
TEST_F(StartUpTest, LinksGoThroughTheShell) {
  std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
  TForm_main& main = *w->Form_main;
  TForm_About& about = *w->Form_About;
  RecordingShell shell;
  ASSERT_TRUE(jwtest::WriteBytes(temp_.filePath("Jibwarden.chm"), "help"));
  about.show();
  QTest::mouseClick(about.ProgramIcon, Qt::LeftButton);
  QTest::mouseClick(about.lbWWW, Qt::LeftButton);
  QTest::mouseClick(about.lbEMail, Qt::LeftButton);
  main.findChild<QAction*>("N_Help")->trigger();
  main.findChild<QAction*>("SpeedBtn_WWW")->trigger();
  main.findChild<QAction*>("N_WWW")->trigger();
  main.findChild<QAction*>("SpeedBtn_Mail")->trigger();
  main.findChild<QAction*>("N_Mail")->trigger();
  const QString mail = "MailTo:jibwarden@example.org?Subject=Jibwarden";
  EXPECT_EQ(shell.Targets(),
            (QStringList{kMakerWebAddress, kMakerWebAddress, mail, temp_.filePath("Jibwarden.chm"),
                         kMakerWebAddress, kMakerWebAddress, mail, mail}));
}

// Settings files edited by hand keep, byte for byte, every line the program does not write.
TEST_F(StartUpTest, SettingsFilesKeepEveryLineThatIsNotWritten) {
  ScriptedMessageBox boxes;
  const QByteArray readKey = (GetDefaultIniRegKey() + "\\TForm_Read").toUtf8();
  struct File {
    SettingsRoot root;
    QByteArray bytes;
    QByteArray written;  // the line the program replaces
  };
  const File files[] = {
      {SettingsRoot::CurrentUser,
       "; edited by hand\n[Ports]\nCOM1=/dev/ttyUSB0\nthis line has no equals sign\n"
       "[Software\\Other]\nName=\xC8\xE2\xE0\xED\n[ " +
           readKey.toLower() + " ]\n  Extra = kept  \nFormVersion=7\n",
       "FormVersion=7"},
      {SettingsRoot::Users,
       "[\\.DEFAULT\\Software\\Taltrex]\nDirData=/no/such/dir\nNote=\xC1\xFB\xEB\n stray\n",
       "DirData=/no/such/dir"},
  };
  for (const File& f : files) {
    const QString path = SettingsStore::RootFilePath(f.root);
    QDir().mkpath(QFileInfo(path).absolutePath());
    ASSERT_TRUE(jwtest::WriteBytes(path, f.bytes));
  }

  std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
  OpenAndCloseReadout(*w);

  for (const File& f : files) {
    const QString path = SettingsStore::RootFilePath(f.root);
    SCOPED_TRACE(path.toStdString());
    QList<QByteArray> kept = f.bytes.split('\n');
    kept.removeAll(f.written);
    const QList<QByteArray> now = jwtest::ReadBytes(path).split('\n');
    qsizetype at = 0;
    for (const QByteArray& line : now)
      if (at < kept.size() && line == kept[at]) ++at;
    EXPECT_EQ(at, kept.size()) << jwtest::ReadBytes(path).toStdString();
  }
  SettingsStore user(SettingsRoot::CurrentUser);
  EXPECT_EQ(user.ReadString(readKey, "Extra"), "kept");
  EXPECT_EQ(user.ReadString(readKey, "FormVersion"), "0");
  EXPECT_EQ(SettingsStore(SettingsRoot::Users).ReadString(kDirDataSection, kDirDataName),
            temp_.path());
  EXPECT_TRUE(boxes.Boxes().isEmpty());
}

// A settings file that cannot be read, or a save cut short, leaves the file as it was and
// gives one error box.
TEST_F(StartUpTest, AReadoutCloseThatCannotSaveLeavesTheFileWhole) {
  const QString path = SettingsStore::RootFilePath(SettingsRoot::CurrentUser);
  struct Case {
    const char* name;
    bool directory;
    int boxes;  // the directory: one at each showing, when the window's key cannot be made
  };
  const Case cases[] = {{"cut by the file-size limit", false, 1},
                        {"a directory in its place", true, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(QFileInfo(path).absolutePath()).removeRecursively();
    if (c.directory) {
      ASSERT_TRUE(QDir().mkpath(path));
    }
    ScriptedMessageBox boxes;
    std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
    OpenAndCloseReadout(*w);
    const QByteArray before = jwtest::ReadBytes(path);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = static_cast<rlim_t>(QFileInfo(path).size());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    OpenAndCloseReadout(*w, QString(300, u'ж'));
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(jwtest::ReadBytes(path), before);
    EXPECT_EQ(QFileInfo(path).isDir(), c.directory);
    const QDir config(QFileInfo(path).absolutePath());
    EXPECT_EQ(config.entryList({"current_user.ini*"}, QDir::Files | QDir::Hidden).size(),
              c.directory ? 0 : 1);
    EXPECT_EQ(boxes.Boxes().size(), c.boxes);
    for (const MessageBoxRequest& box : boxes.Boxes()) EXPECT_EQ(box.caption, "Ошибка");
  }
}

// A settings file that is a pipe or a device is refused at once: the program starts, its
// main window shows, and what it tells the user names what stands in the file's place.
TEST_F(StartUpTest, TheProgramStartsWhereASettingsFileIsAPipeOrADevice) {
  struct Case {
    const char* name;
    SettingsRoot root;
    bool pipe;  // else a link to a device
    const char* named;
  };
  const Case cases[] = {
      {"users as a pipe", SettingsRoot::Users, true, "канал"},
      {"users as a link to /dev/zero", SettingsRoot::Users, false, "устройство"},
      {"current user as a pipe", SettingsRoot::CurrentUser, true, "канал"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = SettingsStore::RootFilePath(c.root);
    QDir(QFileInfo(path).absolutePath()).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    if (c.pipe)
      ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else
      ASSERT_TRUE(QFile::link("/dev/zero", path));
    ScriptedMessageBox boxes;
    std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
    EXPECT_TRUE(w->Form_main->isVisible());
    EXPECT_EQ(w->Form_main->DataDirectory, temp_.path());
    EXPECT_TRUE(SettingsStore(c.root).ReadError().contains(QString::fromUtf8(c.named)))
        << SettingsStore(c.root).ReadError().toStdString();
    for (const MessageBoxRequest& box : boxes.Boxes()) {
      EXPECT_EQ(box.caption, "Ошибка");
      EXPECT_TRUE(box.text.contains(QString::fromUtf8(c.named))) << box.text.toStdString();
    }
  }
}

// The program's windows under a window manager: each belongs to the main window, so that they
// minimise and come back with it; the fixed dialog windows ask for a close button only; a modal
// window, and a box it opens, stack above the stay-on-top windows while it is up; a helper window
// the user minimised comes back by its command where it was left.
TEST_F(StartUpTest, TheWindowsAreOneFamilyUnderTheMainWindow) {
  const QString variant02 = QStringLiteral("д01м07г2024ч14м00c00_2075.bbi");
  ASSERT_TRUE(QFile::copy(QDir(QStringLiteral(JW_SAMPLES_DIR)).filePath(variant02),
                          temp_.filePath(variant02)));
  std::unique_ptr<AppWindows> w =
      CreateApplicationWindows({temp_.filePath(variant02)}, programFile_);
  TForm_main& main = *w->Form_main;
  const QWindow* head = main.windowHandle();
  auto flags = [](const QWidget* window) { return window->windowHandle()->flags(); };
  auto transientParent = [](const QWidget* window) {
    return window->windowHandle() ? window->windowHandle()->transientParent() : nullptr;
  };
  auto askedOnTop = [&](const QWidget* window) {
    return flags(window).testFlag(Qt::WindowStaysOnTopHint);
  };
  auto closeButtonOnly = [&](const QWidget* window) {
    return flags(window).testFlag(Qt::WindowCloseButtonHint) &&
           !flags(window).testFlag(Qt::WindowMinimizeButtonHint) &&
           !flags(window).testFlag(Qt::WindowMaximizeButtonHint);
  };
  // A helper window shown: the main window's, asked on top, with a close button only.
  auto expectHelper = [&](const QWidget* helper) {
    ASSERT_TRUE(helper->isVisible());
    EXPECT_EQ(transientParent(helper), head);
    EXPECT_TRUE(askedOnTop(helper));
    EXPECT_TRUE(closeButtonOnly(helper));
  };
  // Minimised by the user, brought back by its command where it was left.
  auto minimiseAndBringBack = [](QWidget* helper, const std::function<void()>& command) {
    const QPoint at = helper->pos();
    helper->setWindowState(Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return helper->isMinimized(); }));
    command();
    EXPECT_TRUE(QTest::qWaitFor([&] { return helper->isVisible() && !helper->isMinimized(); }));
    EXPECT_EQ(helper->pos(), at);
  };
  {
    ScriptedMessageBox none;
    main.SelectRow(0);
    main.SpeedItem_TableClick();
    ASSERT_TRUE(none.Boxes().isEmpty());
  }
  main.N_DecodeDataClick();
  QWidget* view = w->FormView2.get();
  expectHelper(view);

  // The readout window and the box its button raises.
  main.SpeedItem_SpisokClick();
  ASSERT_TRUE(view->isVisible());
  QString boxText;
  QTimer::singleShot(0, w->Form_Read.get(), [&] {
    EXPECT_EQ(transientParent(w->Form_Read.get()), head);
    EXPECT_TRUE(flags(w->Form_Read.get()).testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(askedOnTop(view));
    w->Form_Read->CB_Operator->setEditText(QString());
    QTimer::singleShot(0, [&] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_TRUE(box);
      boxText = box->findChild<QLabel*>("qt_msgbox_label")->text();
      EXPECT_EQ(transientParent(box), w->Form_Read->windowHandle());
      EXPECT_FALSE(askedOnTop(view));
      static_cast<QDialog*>(box)->reject();
    });
    w->Form_Read->Btn_Read_Click();
    w->Form_Read->reject();
  });
  main.SpeedBtn_ReadClick();
  EXPECT_EQ(boxText, "Введите имя оператора");
  EXPECT_TRUE(askedOnTop(view));
  EXPECT_TRUE(view->isVisible());

  // No box is expected from here on.
  ScriptedMessageBox boxes;
  main.SelectRow(0);
  main.SpeedItem_TableClick();
  minimiseAndBringBack(view, [&] { main.N_DecodeDataClick(); });

  // The point table.
  main.SpeedItem_GrafClick();
  main.Btn_ShowTablePointClick();
  QWidget* table = w->Form_GrafPoint.get();
  expectHelper(table);
  minimiseAndBringBack(table, [&] { main.Btn_ShowTablePointClick(); });
  // About and the graph settings over both helpers.
  for (QDialog* modal : {static_cast<QDialog*>(w->Form_About.get()),
                         static_cast<QDialog*>(w->Form_NastrGraf.get())}) {
    SCOPED_TRACE(modal->objectName().toStdString());
    bool shown = false;
    QTimer::singleShot(0, modal, [&] {
      shown = true;
      EXPECT_EQ(transientParent(modal), head);
      EXPECT_TRUE(closeButtonOnly(modal));
      EXPECT_FALSE(askedOnTop(view));
      EXPECT_FALSE(askedOnTop(table));
      modal->reject();
    });
    if (modal == w->Form_About.get())
      main.SpeedBtn_AboutClick();
    else
      main.Btn_NastrGrafClick();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(askedOnTop(view));
    EXPECT_TRUE(askedOnTop(table));
  }
  EXPECT_TRUE(boxes.Boxes().isEmpty());
}

}  // namespace
