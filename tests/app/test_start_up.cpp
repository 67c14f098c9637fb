// The start-up order, the splash, the About window and the shell links.
#include "app/start_up.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    programFile_ = temp_.filePath("jibwarden");
  }
  QTemporaryDir temp_;
  QString programFile_;
};

TEST_F(StartUpTest, SixteenWindowsInTheirOrderWithTheMainWindowShownFirst) {
  std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
  EXPECT_EQ(w->CreationOrder,
            (QStringList{"TForm_main", "TForm_Read", "TForm_About", "TForm_NastrGraf",
                         "TForm_GrafPoint", "TForm_TableSearsh", "TForm_PrintTPCR", "TForm_PrintTP",
                         "TForm_PrintParam", "TForm_PrintGraf", "TForm_Flash", "TForm_Palm",
                         "TForm_Searsh", "TForm_PrintDialog", "TformView1", "TFormView2"}));
  EXPECT_TRUE(w->Form_main->isVisible());
  // The start-up work ran on show: the data directory is set and written back.
  EXPECT_EQ(w->Form_main->DataDirectory, temp_.path());
  const QList<QWidget*> others = {
      w->Form_Read.get(),        w->Form_About.get(),       w->Form_NastrGraf.get(),
      w->Form_GrafPoint.get(),   w->Form_TableSearsh.get(), w->Form_PrintTPCR.get(),
      w->Form_PrintTP.get(),     w->Form_PrintParam.get(),  w->Form_PrintGraf.get(),
      w->Form_Flash.get(),       w->Form_Palm.get(),        w->Form_Searsh.get(),
      w->Form_PrintDialog.get(), w->formView1.get(),        w->FormView2.get()};
  for (QWidget* window : others)
    EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
  EXPECT_EQ(w->Form_Read->windowTitle(), "Считывание нового регистратора");
  EXPECT_EQ(w->Form_Read->size(), QSize(311, 261));
  EXPECT_EQ(w->formView1->windowTitle(), "Расшифровка данных, Kvarel-10");
  EXPECT_EQ(w->FormView2->windowTitle(), "Расшифровка данных, Kvarel-02");
  EXPECT_EQ(w->Form_Flash->windowTitle(), "Jibwarden");
  EXPECT_EQ(w->Form_Flash->size(), QSize(344, 275));
  EXPECT_TRUE(w->Form_Flash->windowFlags() & Qt::FramelessWindowHint);
  // The graph page works with the windows made here.
  EXPECT_EQ(w->Form_main->Form_GrafPoint(), w->Form_GrafPoint.get());
  EXPECT_EQ(w->Form_main->Form_NastrGraf(), w->Form_NastrGraf.get());
  EXPECT_EQ(w->Form_NastrGraf->windowTitle(), "Настрока графиков");
  EXPECT_EQ(w->Form_GrafPoint->windowTitle(), "Просмотр точек графика");
  EXPECT_TRUE(w->Form_GrafPoint->windowFlags() & Qt::WindowStaysOnTopHint);
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
  // The application title names the desktop entry the program's windows belong to.
  EXPECT_EQ(QGuiApplication::desktopFileName(), "jibwarden");
  QFile entry(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
              "/applications/jibwarden.desktop");
  ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
  EXPECT_TRUE(QString::fromUtf8(entry.readAll())
                  .contains("\nName=Jibwarden - Работа с регистратором параметров\n"));
}

TEST_F(StartUpTest, StandardDialogsSpeakRussian) {
  SetUpApplication();
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), "Отмена");
}

TEST_F(StartUpTest, SplashIsGoneAfterItsTime) {
  ShowSplash(std::chrono::milliseconds(0));
  for (QWidget* top : QApplication::topLevelWidgets()) EXPECT_FALSE(top->isVisible());
}

TEST_F(StartUpTest, AboutWindowTextsLinksAndClose) {
  TForm_About about;
  EXPECT_EQ(about.windowTitle(), "О программе ");
  EXPECT_EQ(about.size(), QSize(395, 256));
  EXPECT_EQ(about.ProductName->text(),
            "Программа для считывания, хранения, анализа и оформления данных регистраторов "
            "параметров.");
  EXPECT_EQ(about.Version->text(), "Версия 2.0 (01.03.2004)");
  EXPECT_EQ(about.lbWWW->toolTip(), "Посетить наш Web-сайт");
  EXPECT_EQ(about.lbEMail->toolTip(), "Написать нам письмо");
  EXPECT_EQ(about.OKButton->text(), "Закрыть");
  EXPECT_TRUE(about.OKButton->isDefault());
  RecordingShell shell;
  about.show();
  QTest::mouseClick(about.ProgramIcon, Qt::LeftButton);
  QTest::mouseClick(about.lbWWW, Qt::LeftButton);
  QTest::mouseClick(about.lbEMail, Qt::LeftButton);
  EXPECT_EQ(shell.Targets(), (QStringList{kMakerWebAddress, kMakerWebAddress,
                                          "MailTo:jibwarden@example.org?Subject=Jibwarden"}));
  EXPECT_TRUE(kMakerWebAddress.contains("example.org"));
  QTest::mouseClick(about.OKButton, Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), 1);
}

TEST_F(StartUpTest, AboutOpensCentredOverTheMainWindow) {
  std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
  TForm_main& main = *w->Form_main;
  TForm_About& about = *w->Form_About;
  main.move(40, 30);
  QCoreApplication::processEvents();  // the main window is framed
  QRect shownAt;
  QTimer::singleShot(0, &about, [&] {
    shownAt = about.frameGeometry();
    about.OKButtonClick();
  });
  main.findChild<QAction*>("N_About")->trigger();
  const QRect m = main.frameGeometry();
  EXPECT_EQ(shownAt.left(), m.left() + m.width() / 2 - shownAt.width() / 2);
  EXPECT_EQ(shownAt.top(), m.top() + m.height() / 2 - shownAt.height() / 2);
}

TEST_F(StartUpTest, HelpWebAndMailGoThroughTheShell) {
  std::unique_ptr<AppWindows> w = CreateApplicationWindows({}, programFile_);
  TForm_main& main = *w->Form_main;
  RecordingShell shell;
  main.SetStatusPanel0("hint");
  main.findChild<QAction*>("N_Help")->trigger();
  main.findChild<QAction*>("SpeedBtn_WWW")->trigger();
  EXPECT_EQ(main.StatusPanel0(), "");
  main.findChild<QAction*>("N_WWW")->trigger();
  main.findChild<QAction*>("SpeedBtn_Mail")->trigger();
  main.findChild<QAction*>("N_Mail")->trigger();
  const QString mail = "MailTo:jibwarden@example.org?Subject=Jibwarden";
  EXPECT_EQ(shell.Targets(), (QStringList{temp_.filePath("Jibwarden.chm"), kMakerWebAddress,
                                          kMakerWebAddress, mail, mail}));
}

}  // namespace
