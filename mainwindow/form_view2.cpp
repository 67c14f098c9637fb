#include "mainwindow/form_view2.h"

#include "mainwindow/record_decoding.h"

#include <QKeyEvent>

TFormView2::TFormView2(QWidget* parent)
    : DecodedRecordWindow(QStringLiteral("FormView2"),
                          QStringLiteral("Расшифровка данных, Kvarel-02"), 4,
                          {
                              {"im3", {172, 79}, kMotion, "Выдвижение секции стрелы", 4, false},
                              {"im8", {200, 79}, kMotion, "Подъем стрелы", 14, false},
                              {"imE1", {32, 111}, kRelay, "Реле перегрузки", 16, true},
                              {"imE2", {160, 111}, kRelay, "Реле перегрузки", 18, true},
                          },
                          parent) {
  im3 = IndicatorNamed(QStringLiteral("im3"));
  im8 = IndicatorNamed(QStringLiteral("im8"));
  imE1 = IndicatorNamed(QStringLiteral("imE1"));
  imE2 = IndicatorNamed(QStringLiteral("imE2"));
}

void TFormView2::DecodeRecordVariant02(const GridModel& Grid, int Row, int DeviceType) {
  ShowDecoded(DecodeRecordRow(Grid, Row, DecodedVariant::Variant02, DeviceType));
}

void TFormView2::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  DecodedRecordWindow::keyPressEvent(event);
}
