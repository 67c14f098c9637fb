#include "mainwindow/form_nastr_graf.h"

#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/dialog_services.h"

#include <QCheckBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace {

constexpr int kRowTop = 8;
constexpr int kRowStep = 20;
// The names carry the series number after these prefixes.
constexpr int kCheckBoxPrefix = 10;  // "CheckBox_G"
constexpr int kSwatchPrefix = 9;     // "ST_ColorG"
// Boxes 11 to 13 would belong to Series_G11, Series_Point and Series_G12, which get no points.
constexpr int kShownRows = 10;

}  // namespace

TForm_NastrGraf::TForm_NastrGraf(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form_NastrGraf"));
  setWindowTitle(QStringLiteral("Настрока графиков"));
  setFixedSize(316, 283);
  for (int n = 1; n <= kSettingsRows; ++n) {
    const int top = kRowTop + (n - 1) * kRowStep;
    auto* box = new QCheckBox(this);
    box->setObjectName(QStringLiteral("CheckBox_G%1").arg(n));
    box->setText(box->objectName());
    box->setGeometry(8, top, 260, 17);
    connect(box, &QCheckBox::clicked, this, [this, box] { CheckBox_G1Click(box); });
    auto* swatch = new QLabel(this);
    swatch->setObjectName(QStringLiteral("ST_ColorG%1").arg(n));
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    swatch->setAutoFillBackground(true);
    swatch->setCursor(Qt::PointingHandCursor);
    swatch->setGeometry(276, top + 4, 27, 9);
    swatch->installEventFilter(this);
    box->setVisible(n <= kShownRows);
    swatch->setVisible(n <= kShownRows);
    checkBoxes_[std::size_t(n - 1)] = box;
    swatches_[std::size_t(n - 1)] = swatch;
  }
  Button1 = new QPushButton(QStringLiteral("Закрыть"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  Button1->setGeometry(120, 248, 75, 25);
  connect(Button1, &QPushButton::clicked, this, &TForm_NastrGraf::Button1Click);
}

void TForm_NastrGraf::SetSwatchColour(QLabel* swatch, const QColor& colour) {
  QPalette palette = swatch->palette();
  palette.setColor(QPalette::Window, colour);
  swatch->setPalette(palette);
}

QColor TForm_NastrGraf::SwatchColour(const QLabel* swatch) {
  return swatch->palette().color(QPalette::Window);
}

bool TForm_NastrGraf::eventFilter(QObject* watched, QEvent* event) {
  auto* swatch = qobject_cast<QLabel*>(watched);
  if (swatch && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    // A click: released over the swatch it was pressed on.
    if (mouse->button() == Qt::LeftButton && swatch->rect().contains(mouse->position().toPoint())) {
      ST_ColorG1Click(swatch);
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TForm_NastrGraf::CheckBox_G1Click(QCheckBox* box) {
  const int n = box->objectName().mid(kCheckBoxPrefix).toInt();
  if (!chart_ || n < 1 || n > chart_->SeriesCount()) return;
  chart_->Series(n - 1)->SetActive(box->isChecked());
}

void TForm_NastrGraf::ST_ColorG1Click(QLabel* swatch) {
  const int n = swatch->objectName().mid(kSwatchPrefix).toInt();
  const std::optional<QColor> chosen = GetColor({ColorDialog1Color, QString()});
  if (!chosen) return;
  ColorDialog1Color = *chosen;
  SetSwatchColour(swatch, *chosen);
  if (chart_ && n >= 1 && n <= chart_->SeriesCount()) chart_->Series(n - 1)->SetColour(*chosen);
}

void TForm_NastrGraf::Button1Click() {
  close();
}
