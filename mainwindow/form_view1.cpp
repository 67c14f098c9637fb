#include "mainwindow/form_view1.h"

#include "mainwindow/record_decoding.h"

#include <QKeyEvent>
#include <QPlainTextEdit>

TformView1::TformView1(QWidget* parent)
    : DecodedRecordWindow(QStringLiteral("formView1"),
                          QStringLiteral("Расшифровка данных, Kvarel-10"), 2,
                          {
                              {"im1", {160, 63}, kMotion, "Поворот вправо", 0, false},
                              {"im2", {160, 83}, kMotion, "Поворот влево", 2, false},
                              {"im3", {180, 63}, kMotion, "Выдвижение секции стрелы", 4, false},
                              {"im4", {180, 83}, kMotion, "Втягивание секции стрелы", 6, false},
                              {"im5", {200, 63}, kMotion, "Опускание груза", 8, false},
                              {"im6", {200, 83}, kMotion, "Подъем груза", 10, false},
                              {"im7", {220, 63}, kMotion, "Опускание стрелы", 12, false},
                              {"im8", {220, 83}, kMotion, "Подъем стрелы", 14, false},
                              {"imE1", {96, 111}, kRelay, "Реле перегрузки", 16, true},
                          },
                          parent) {
  im1 = IndicatorNamed(QStringLiteral("im1"));
  im2 = IndicatorNamed(QStringLiteral("im2"));
  im3 = IndicatorNamed(QStringLiteral("im3"));
  im4 = IndicatorNamed(QStringLiteral("im4"));
  im5 = IndicatorNamed(QStringLiteral("im5"));
  im6 = IndicatorNamed(QStringLiteral("im6"));
  im7 = IndicatorNamed(QStringLiteral("im7"));
  im8 = IndicatorNamed(QStringLiteral("im8"));
  imE1 = IndicatorNamed(QStringLiteral("imE1"));
  memoMessage->installEventFilter(this);
}

void TformView1::DecodeRecordVariant10(const GridModel& Grid, int Row, int DeviceType) {
  ShowDecoded(DecodeRecordRow(Grid, Row, DecodedVariant::Variant10, DeviceType));
}

void TformView1::FormKeyDown(int Key) {
  if (Key == Qt::Key_Escape) close();
}

bool TformView1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    FormKeyDown(key);
    if (key == Qt::Key_Escape) return true;
  }
  return DecodedRecordWindow::eventFilter(watched, event);
}

void TformView1::keyPressEvent(QKeyEvent* event) {
  FormKeyDown(event->key());
  if (event->key() != Qt::Key_Escape) DecodedRecordWindow::keyPressEvent(event);
}
