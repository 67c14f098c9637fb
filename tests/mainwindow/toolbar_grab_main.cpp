// Shows the main window and writes a grab of every tool-bar button, at the screen scale
// the environment gives (QT_SCALE_FACTOR), into the folder named on the command line:
// <bar>_<n>.png, the buttons of a bar from left to right.
#include "controls/speed_bar.h"
#include "mainwindow/form_main.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  const QDir out(QString::fromLocal8Bit(argv[1]));
  QTemporaryDir program;
  if (!program.isValid()) return 2;
  TForm_main window({}, program.filePath(QStringLiteral("jibwarden")));
  window.show();
  if (!QTest::qWaitForWindowExposed(&window)) return 3;
  int written = 0;
  for (TSpeedBar* bar : {window.SpeedBar1, window.SpeedBar3}) {
    QList<TXcSpeedButton*> buttons = bar->findChildren<TXcSpeedButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](const QWidget* a, const QWidget* b) { return a->x() < b->x(); });
    int n = 0;
    for (TXcSpeedButton* button : buttons) {
      if (!button->isVisible()) continue;
      // Each button as the pointer leaves it, wherever the window came to lie under it.
      QEvent leave(QEvent::Leave);
      QApplication::sendEvent(button, &leave);
      const QString name = QStringLiteral("%1_%2.png").arg(bar->objectName()).arg(n++);
      if (!button->grab().save(out.filePath(name))) return 4;
      ++written;
    }
  }
  return written > 0 ? 0 : 5;
}
