#include "mainwindow/decoded_view.h"

#include "controls/bm_bitmap_image.h"
#include "controls/bm_classes.h"
#include "mainwindow/record_decoding.h"

#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>

namespace {

constexpr int kMotionPictures = 16;
const QColor kLitMotion(0x00, 0xB0, 0x00);
const QColor kLitRelay(0xE0, 0x00, 0x00);
const QColor kDark(0x80, 0x80, 0x80);
const QColor kAlarmText(0xFF, 0x00, 0x00);
// The texts of the lower lines before the first record.
const char* const kStartEquipment = "Нет оборудования";
const char* const kStartContour = "Полный контур";
const char* const kStartReeving = "Запасовка 8х";

QImage NewPicture(int width, int height) {
  QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
  picture.fill(QColor(0xF0, 0xF0, 0xF0));
  return picture;
}

// A round lamp with an arrow in the direction of the motion.
QImage MotionPicture(int motion, bool lit) {
  // Slewing right and left, boom section out and in, load down and up, boom down and up.
  static constexpr double kAngles[] = {0, 180, 30, 210, 270, 90, 315, 135};
  QImage picture = NewPicture(20, 20);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(lit ? kLitMotion : kDark);
  p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
  p.translate(10, 10);
  p.rotate(-kAngles[motion]);
  QPainterPath arrow;
  arrow.moveTo(6, 0);
  arrow.lineTo(1, -5);
  arrow.lineTo(1, -2);
  arrow.lineTo(-6, -2);
  arrow.lineTo(-6, 2);
  arrow.lineTo(1, 2);
  arrow.lineTo(1, 5);
  arrow.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(lit ? Qt::white : QColor(0xC8, 0xC8, 0xC8));
  p.drawPath(arrow);
  p.end();
  return picture.convertToFormat(QImage::Format_RGB888);
}

// The overload relay: a wide lamp with its word on it.
QImage RelayPicture(bool lit) {
  QImage picture = NewPicture(80, 20);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(lit ? kLitRelay : kDark);
  p.drawRoundedRect(QRectF(0.5, 0.5, 79, 19), 4, 4);
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(10);
  font.setBold(true);
  p.setFont(font);
  p.setPen(lit ? Qt::white : QColor(0xC8, 0xC8, 0xC8));
  p.drawText(QRect(0, 0, 80, 20), Qt::AlignCenter, QStringLiteral("ПЕРЕГРУЗКА"));
  p.end();
  return picture.convertToFormat(QImage::Format_RGB888);
}

QLabel* NewText(QWidget* parent, const char* name, QPoint place, const char* hint,
                const char* caption, int pixelSize) {
  auto* label = new QLabel(QString::fromUtf8(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  label->setTextFormat(Qt::PlainText);
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(pixelSize);
  font.setBold(true);
  label->setFont(font);
  if (hint) label->setToolTip(QString::fromUtf8(hint));
  label->move(place);
  label->adjustSize();
  return label;
}

QLabel* NewRadiusLabel(QWidget* parent, const char* name, QPoint place, const char* caption) {
  auto* label = new QLabel(QString::fromLatin1(caption), parent);
  label->setObjectName(QString::fromLatin1(name));
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(9);
  font.setBold(true);
  label->setFont(font);
  label->move(place);
  label->adjustSize();
  return label;
}

QFrame* NewLine(QWidget* parent, const char* name, QPoint place) {
  auto* line = new QFrame(parent);
  line->setObjectName(QString::fromLatin1(name));
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  line->setLineWidth(1);
  line->setGeometry(place.x(), place.y(), 257, 2);
  return line;
}

void SetTextColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

QColor GrayText(const QWidget* widget) {
  return widget->palette().color(QPalette::Disabled, QPalette::WindowText);
}

void SetAutoSizedText(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

}  // namespace

DecodedRecordWindow::DecodedRecordWindow(const QString& name, const QString& caption,
                                         int relayPictures,
                                         const std::vector<Indicator>& indicators, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
  setObjectName(name);
  setWindowTitle(caption);
  setFixedSize(278, 210);

  BmBitmapList1 = new TBmBitmapList(this);
  BmBitmapList1->setObjectName(QStringLiteral("BmBitmapList1"));
  TBmBitmaps* pictures = BmBitmapList1->Bitmaps();
  pictures->BeginUpdate();
  for (int i = 0; i < kMotionPictures; ++i) pictures->Add(MotionPicture(i / 2, i % 2 == 0));
  for (int i = 0; i < relayPictures; ++i) pictures->Add(RelayPicture(i % 2 == 0));
  pictures->EndUpdate();

  Panel3 = new QFrame(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel3->setLineWidth(2);
  Panel3->setGeometry(3, 6, 270, 201);

  stMz = NewText(Panel3, "stMz", {32, 8}, "Степень загрузки крана", "Мз=100%", 16);
  stR = NewText(Panel3, "stR", {32, 32}, "Вылет", "R=19.87м", 16);
  stQ = NewText(Panel3, "stQ", {158, 8}, "Вес груза", "Q=15.35т", 16);
  stL = NewText(Panel3, "stL", {158, 32}, "Длина стрелы", "L=15.7м", 16);
  stC = NewText(Panel3, "stC", {8, 59}, "Режим работы со стреловым оборудованием", kStartEquipment,
                11);
  stK = NewText(Panel3, "stK", {8, 75}, "Состояние опорного контура", kStartContour, 11);
  stNp = NewText(Panel3, "stNp", {8, 91}, nullptr, kStartReeving, 11);
  LabRmax = NewRadiusLabel(Panel3, "LabRmax", {8, 31}, "max");
  labRmin = NewRadiusLabel(Panel3, "labRmin", {8, 40}, "min");
  SetTextColour(LabRmax, GrayText(this));
  SetTextColour(labRmin, GrayText(this));
  Panel6 = NewLine(Panel3, "Panel6", {8, 56});
  Panel14 = NewLine(Panel3, "Panel14", {8, 135});

  memoMessage = new QPlainTextEdit(Panel3);
  memoMessage->setObjectName(QStringLiteral("memoMessage"));
  memoMessage->setFrameStyle(QFrame::NoFrame);
  memoMessage->setReadOnly(true);
  memoMessage->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memoMessage->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  memoMessage->setBackgroundRole(QPalette::Window);
  QPalette memoPalette = memoMessage->palette();
  memoPalette.setColor(QPalette::Base, memoPalette.color(QPalette::Window));
  memoMessage->setPalette(memoPalette);
  memoMessage->setGeometry(8, 139, 257, 59);

  for (const Indicator& i : indicators) {
    auto* image = new TBmBitmapImage(Panel3);
    image->setObjectName(QString::fromLatin1(i.name));
    image->setGeometry(QRect(i.place, i.size));
    image->setToolTip(QString::fromUtf8(i.hint));
    image->SetBitmapList(BmBitmapList1);
    image->SetBitmapIndex(i.startsLit ? i.litIndex : i.litIndex + 1);
    indicators_.push_back({image, i.litIndex, i.startsLit});
  }
}

TBmBitmapImage* DecodedRecordWindow::IndicatorNamed(const QString& name) const {
  for (const Lamp& lamp : indicators_) {
    if (lamp.image->objectName() == name) return lamp.image;
  }
  return nullptr;
}

void DecodedRecordWindow::ShowStartUpPicture() {
  memoMessage->clear();
  SetTextColour(LabRmax, GrayText(this));
  SetTextColour(labRmin, GrayText(this));
  SetAutoSizedText(stC, QString::fromUtf8(kStartEquipment));
  SetAutoSizedText(stK, QString::fromUtf8(kStartContour));
  SetAutoSizedText(stNp, QString::fromUtf8(kStartReeving));
  for (const Lamp& lamp : indicators_)
    lamp.image->SetBitmapIndex(lamp.startsLit ? lamp.litIndex : lamp.litIndex + 1);
}

void DecodedRecordWindow::ShowDecoded(const std::optional<DecodedRecord>& record) {
  if (!record) return;
  // Nothing of an earlier record may stay beside the texts of a record of another type.
  if (!record->TypeTwo) ShowStartUpPicture();
  SetAutoSizedText(stMz, record->MzText);
  SetAutoSizedText(stQ, record->QText);
  SetAutoSizedText(stL, record->LText);
  SetAutoSizedText(stR, record->RText);
  SetTextColour(stMz, record->Overload ? kAlarmText : palette().color(QPalette::WindowText));
  if (!record->TypeTwo) return;
  SetTextColour(LabRmax, record->RmaxOn ? kAlarmText : GrayText(this));
  SetTextColour(labRmin, record->RminOn ? kAlarmText : GrayText(this));
  SetAutoSizedText(stC, record->Equipment);
  SetAutoSizedText(stK, record->Contour);
  SetAutoSizedText(stNp, record->Reeving);
  for (const DecodedLamp& decoded : record->Lamps) {
    for (const Lamp& lamp : indicators_) {
      if (lamp.image->objectName() == decoded.image)
        lamp.image->SetBitmapIndex(decoded.lit ? lamp.litIndex : lamp.litIndex + 1);
    }
  }
  memoMessage->clear();
  for (const QString& line : record->Messages) memoMessage->appendPlainText(line);
}
