#pragma once
// The program's start: splash, application title and the windows that live until the end.

#include "acquisition/form_palm.h"
#include "acquisition/form_read.h"
#include "app/form_about.h"
#include "app/form_flash.h"
#include "controls/window_family.h"
#include "mainwindow/form_graf_point.h"
#include "mainwindow/form_main.h"
#include "mainwindow/form_nastr_graf.h"
#include "mainwindow/form_searsh.h"
#include "mainwindow/form_table_searsh.h"
#include "mainwindow/form_view1.h"
#include "mainwindow/form_view2.h"
#include "reports/form_print_dialog.h"
#include "reports/report_forms.h"

#include <QFont>
#include <QStringList>

#include <chrono>
#include <memory>

// Every window of the program, created once and kept until the program ends.
struct AppWindows {
  std::unique_ptr<TForm_main> Form_main;
  std::unique_ptr<TForm_Read> Form_Read;
  std::unique_ptr<TForm_About> Form_About;
  std::unique_ptr<TForm_NastrGraf> Form_NastrGraf;
  std::unique_ptr<TForm_GrafPoint> Form_GrafPoint;
  std::unique_ptr<TForm_TableSearsh> Form_TableSearsh;
  std::unique_ptr<TForm_PrintTPCR> Form_PrintTPCR;
  std::unique_ptr<TForm_PrintTP> Form_PrintTP;
  std::unique_ptr<TForm_PrintParam> Form_PrintParam;
  std::unique_ptr<TForm_PrintGraf> Form_PrintGraf;
  std::unique_ptr<TForm_Flash> Form_Flash;
  std::unique_ptr<TForm_Palm> Form_Palm;
  std::unique_ptr<TForm_Searsh> Form_Searsh;
  std::unique_ptr<TForm_PrintDialog> Form_PrintDialog;
  std::unique_ptr<TformView1> formView1;
  std::unique_ptr<TFormView2> FormView2;
  // Class names in the order of creation.
  QStringList CreationOrder;
  // Goes first: it watches the windows above.
  std::unique_ptr<WindowFamily> Family;
};

// The font the windows were laid out for: "MS Sans Serif" 8 points at 96 dots per inch.
QFont DefaultWindowFont();

// Before any window: the fonts the windows and reports ask for are mapped to Liberation Sans,
// which has Arial's metrics, the application font becomes `DefaultWindowFont`, and Qt's own
// dialogs and buttons speak Russian. The application title is not Qt's display name, which
// X11 would append to every window title: it names the program's desktop entry instead.
void SetUpApplication();

// Shows the splash window, keeps it up for `time` without processing events, then frees it.
void ShowSplash(std::chrono::milliseconds time);

// Creates the sixteen windows in their order. The main window
// is shown as soon as it exists, so its start-up work runs before the others are created.
// The windows below the main window reach it through the hooks wired here.
std::unique_ptr<AppWindows> CreateApplicationWindows(QStringList arguments, QString programFile);
