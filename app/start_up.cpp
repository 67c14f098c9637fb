#include "app/start_up.h"

#include "mainwindow/file_type_registration.h"
#include "mainwindow/program_picture.h"
#include "platform/com_ports.h"
#include "platform/exception_guard.h"
#include "serial/sc_comm.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <thread>

QFont DefaultWindowFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  return font;
}

void SetUpApplication() {
  for (const QString& family : {QStringLiteral("Arial"), QStringLiteral("MS Sans Serif")})
    QFont::insertSubstitution(family, QStringLiteral("Liberation Sans"));
  QApplication::setFont(DefaultWindowFont());
  QGuiApplication::setDesktopFileName(kDesktopFileName);
  QApplication::setWindowIcon(ProgramIcon());
  if (!qApp->findChild<QTranslator*>(QStringLiteral("qtbase_ru"))) {
    auto* translator = new QTranslator(qApp);
    translator->setObjectName(QStringLiteral("qtbase_ru"));
    if (translator->load(QStringLiteral("qtbase_ru"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(translator);
    else
      delete translator;
  }
}

void ShowSplash(std::chrono::milliseconds time) {
  auto splash = std::make_unique<TForm_Flash>();
  splash->show();
  // Paint it now: the wait below processes no events.
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  splash->repaint();
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  std::this_thread::sleep_for(time);
  splash->hide();
}

namespace {

template <class T>
std::unique_ptr<T> Create(QStringList& order) {
  auto window = std::make_unique<T>();
  order.append(QString::fromLatin1(window->metaObject()->className()));
  return window;
}

void WireApplication(AppWindows& w) {
  TForm_main* main = w.Form_main.get();
  w.Form_Read->SetMainWindowHooks({[main] { main->RefreshFileList(); },
                                   [main] { main->SetStatusPanel0(QString()); },
                                   [main] { return main->DataDirectory; }});
  w.Form_Palm->SetMainWindowHooks({[main] { main->RefreshFileList(); },
                                   [main] { return main->DataDirectory; },
                                   [main] { return main->AddSourcePath; }});
  main->SetSearchWindows(w.Form_Searsh.get(), w.Form_TableSearsh.get());
  main->SetPrintWindows({w.Form_PrintDialog.get(), w.Form_PrintTPCR.get(), w.Form_PrintParam.get(),
                         w.Form_PrintGraf.get()});
  TScCustomComm::SetPortResolver([](int number) {
    return ComPortDevicePath(QStringLiteral("COM") + QString::number(number));
  });
  // An exception of a serial event handler gets the application's error report.
  TScCustomComm::SetExceptionHandler(
      [](std::exception_ptr error) { RunGuarded([&] { std::rethrow_exception(error); }); });
}

}  // namespace

std::unique_ptr<AppWindows> CreateApplicationWindows(QStringList arguments, QString programFile) {
  auto w = std::make_unique<AppWindows>();
  w->Form_main = std::make_unique<TForm_main>(std::move(arguments), std::move(programFile));
  w->CreationOrder.append(QStringLiteral("TForm_main"));
  w->Form_main->show();
  w->Family = std::make_unique<WindowFamily>(w->Form_main.get());
  w->Form_Read = Create<TForm_Read>(w->CreationOrder);
  w->Form_About = Create<TForm_About>(w->CreationOrder);
  w->Form_NastrGraf = Create<TForm_NastrGraf>(w->CreationOrder);
  w->Form_GrafPoint = Create<TForm_GrafPoint>(w->CreationOrder);
  w->Form_TableSearsh = Create<TForm_TableSearsh>(w->CreationOrder);
  w->Form_PrintTPCR = Create<TForm_PrintTPCR>(w->CreationOrder);
  w->Form_PrintTP = Create<TForm_PrintTP>(w->CreationOrder);
  w->Form_PrintParam = Create<TForm_PrintParam>(w->CreationOrder);
  w->Form_PrintGraf = Create<TForm_PrintGraf>(w->CreationOrder);
  w->Form_Flash = Create<TForm_Flash>(w->CreationOrder);
  w->Form_Palm = Create<TForm_Palm>(w->CreationOrder);
  w->Form_Searsh = Create<TForm_Searsh>(w->CreationOrder);
  w->Form_PrintDialog = Create<TForm_PrintDialog>(w->CreationOrder);
  w->formView1 = Create<TformView1>(w->CreationOrder);
  w->FormView2 = Create<TFormView2>(w->CreationOrder);
  w->Form_main->SetWindows({w->Form_Read.get(), w->Form_Palm.get(), w->Form_About.get(),
                            w->formView1.get(), w->FormView2.get(), w->Form_NastrGraf.get(),
                            w->Form_GrafPoint.get()});
  WireApplication(*w);
  return w;
}
