#pragma once
// Graph settings: a check box and a colour swatch for each series of the graph chart.

#include <QColor>
#include <QDialog>

#include <array>

class ChartView;
class QCheckBox;
class QLabel;
class QPushButton;

inline constexpr int kSettingsRows = 13;

class TForm_NastrGraf : public QDialog {
  Q_OBJECT
 public:
  explicit TForm_NastrGraf(QWidget* parent = nullptr);

  // The chart whose series n - 1 box and swatch n act on.
  void SetChart(ChartView* chart) { chart_ = chart; }

  // Box and swatch n = 1 .. 13.
  QCheckBox* CheckBox_G(int n) const { return checkBoxes_[std::size_t(n - 1)]; }
  QLabel* ST_ColorG(int n) const { return swatches_[std::size_t(n - 1)]; }
  static void SetSwatchColour(QLabel* swatch, const QColor& colour);
  static QColor SwatchColour(const QLabel* swatch);

  QPushButton* Button1;
  // The colour the dialog returned last; it opens with it.
  QColor ColorDialog1Color = Qt::black;

 public slots:
  void CheckBox_G1Click(QCheckBox* box);
  void ST_ColorG1Click(QLabel* swatch);
  void Button1Click();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::array<QCheckBox*, kSettingsRows> checkBoxes_{};
  std::array<QLabel*, kSettingsRows> swatches_{};
  ChartView* chart_ = nullptr;
};
