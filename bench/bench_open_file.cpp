// Opening the largest data file (65 535 operational and 65 535 overload records of device
// type 2) against a bare read-and-split of its lines, its resident memory, and the cost of
// repainting its ten graphs and a screenful of its table.
#include "archive/data_file.h"
#include "archive/number_text.h"
#include "archive/text_file.h"
#include "mainwindow/data_file_reader.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QWindow>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

constexpr int kRecords = 65535;

QString Field(double value, int width) {
  return FieldNumber(value, width);
}

QString RecordLine(int i) {
  const double wave = (i % 1000) / 10.0;
  const QString stamp = QStringLiteral("%1.%2.23 %3:%4:%5")
                            .arg(1 + i % 28, 2, 10, QChar('0'))
                            .arg(1 + i % 12, 2, 10, QChar('0'))
                            .arg(i % 24, 2, 10, QChar('0'))
                            .arg(i % 60, 2, 10, QChar('0'))
                            .arg((i * 7) % 60, 2, 10, QChar('0'));
  const int azimuth = i % 361 - 180;
  const QString g = (azimuth < 0 ? "-" : "+") + PadZeros(IntToText(std::abs(azimuth)), 3);
  return QStringList{stamp,
                     Field(wave * 0.9, 7),
                     Field(12.5 + wave / 10, 7),
                     g,
                     Field(wave * 2.5, 7),
                     Field(wave, 7),
                     "04",
                     "01",
                     "02",
                     Field(wave / 5, 7),
                     Field(3 + wave / 10, 7),
                     Field(20 + wave / 7, 7),
                     Field(20, 7),
                     PadZeros(IntToText(1 + i % 120), 3),
                     "10000_000001_10000000000001"}
             .join(';') +
         ';';
}

class LargestFile {
 public:
  LargestFile() {
    path_ = dir_.path() + "/largest.bbi";
    TextLineWriter out;
    out.Open(path_);
    const QStringList header = {DataFile::kMagic,
                                "КС-45717",
                                "123",
                                "2",
                                "10",
                                "4567",
                                "01.02.2023",
                                "Оператор",
                                "",
                                "01.02.23 10:11:12",
                                "00025.00;00030.00;00040.00;00045.00;",
                                "",
                                "Ci   : 00000001;00000002;00000003;00000004;00000005;",
                                "Csum : 15",
                                "Mch  : 567",
                                "Np   : 89",
                                "Km   : 2",
                                "T0   : 120",
                                "U    : U3",
                                "Q    : 0.25",
                                "A    : A3",
                                DataFile::kLabelCountTPCR + PadZeros(IntToText(kRecords), 5),
                                DataFile::kLabelCountTP + PadZeros(IntToText(kRecords), 5),
                                DataFile::kColumnsType2};
    for (const QString& line : header) out.WriteLine(line);
    for (int i = 0; i < kRecords; ++i) out.WriteLine(RecordLine(i));
    out.WriteLine(DataFile::kSeparator);
    for (int i = 0; i < kRecords; ++i) out.WriteLine(RecordLine(i + 7));
    if (!out.Commit()) std::abort();
  }
  const QString& Path() const { return path_; }
  qint64 Size() const { return QFileInfo(path_).size(); }

 private:
  QTemporaryDir dir_;
  QString path_;
};

const LargestFile& File() {
  static const LargestFile file;
  return file;
}

// What an open file holds: the three grids and the thirteen graph series.
struct OpenFile {
  GridModel tpcr, tp, find;
  ChartSeries spectrum{SeriesKind::HorizontalBar};
  std::array<std::unique_ptr<ChartSeries>, kGraphSeries> series;
  OpenFileData data;

  bool Open() {
    ReadTargets targets;
    targets.Series1 = &spectrum;
    targets.records = {&tpcr, &tp, &find, {}};
    for (std::size_t k = 0; k < kGraphSeries; ++k) {
      if (!series[k]) series[k] = std::make_unique<ChartSeries>();
      targets.records.graphs[k] = series[k].get();
    }
    return ReadDataFile(File().Path(), data, targets, ReadHooks());
  }
};

long ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

void BM_OpenLargestFile(benchmark::State& state) {
  const qint64 size = File().Size();
  for (auto _ : state) {
    OpenFile open;
    if (!open.Open()) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(open.tpcr.RowCount());
  }
  const long before = ResidentBytes();
  auto open = std::make_unique<OpenFile>();
  open->Open();
  const long after = ResidentBytes();
  state.counters["file_MB"] = double(size) / 1e6;
  state.counters["resident_MB"] = double(after - before) / 1e6;
  state.counters["resident_per_file_byte"] = double(after - before) / double(size);
}
BENCHMARK(BM_OpenLargestFile)->Unit(benchmark::kMillisecond);

void BM_BareReadAndSplit(benchmark::State& state) {
  for (auto _ : state) {
    TextLineReader input;
    input.Open(File().Path());
    qsizetype fields = 0;
    while (!input.AtEnd()) fields += input.ReadLine().split(u';').size();
    benchmark::DoNotOptimize(fields);
  }
}
BENCHMARK(BM_BareReadAndSplit)->Unit(benchmark::kMillisecond);

// One screenful of the operational table (40 rows) as a view asks for it.
void BM_TableScreenful(benchmark::State& state) {
  OpenFile open;
  open.Open();
  int top = 0;
  for (auto _ : state) {
    top = (top + 7919) % (open.tpcr.rowCount() - 40);
    for (int r = top; r < top + 40; ++r)
      for (int c = 0; c < open.tpcr.columnCount(); ++c)
        benchmark::DoNotOptimize(open.tpcr.data(open.tpcr.index(r, c)));
  }
}
BENCHMARK(BM_TableScreenful)->Unit(benchmark::kMicrosecond);

// The view painted once into a cleared picture.
QImage Painted(QChartView& view) {
  QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter painter(&image);
  view.render(&painter);
  return image;
}

// Shows the view and lets its first paint happen: a chart lays out its plot area and draws
// its series only once shown.
void ShowAndSettle(QChartView& view) {
  view.show();
  QElapsedTimer waited;
  waited.start();
  while (!(view.windowHandle() && view.windowHandle()->isExposed()) && waited.elapsed() < 5000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  QCoreApplication::processEvents();
  Painted(view);
}

// The pixels the series add to the view: those that differ from the view painted with its
// series hidden.
long SeriesPixels(QChartView& view) {
  const QImage painted = Painted(view);
  const QList<QAbstractSeries*> drawn = view.chart()->series();
  for (QAbstractSeries* s : drawn) s->setVisible(false);
  const QImage bare = Painted(view);
  for (QAbstractSeries* s : drawn) s->setVisible(true);
  long pixels = 0;
  for (int y = 0; y < bare.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(painted.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(bare.constScanLine(y));
    for (int x = 0; x < bare.width(); ++x) pixels += a[x] != b[x];
  }
  return pixels;
}

// Times repaints of a shown view; returns the series pixels one such paint draws.
long Repaint(benchmark::State& state, QChartView& view) {
  ShowAndSettle(view);
  QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  for (auto _ : state) {
    QPainter painter(&image);
    view.render(&painter);
  }
  const long pixels = SeriesPixels(view);
  state.counters["series_pixels"] = double(pixels);
  if (pixels == 0) state.SkipWithError("the timed paint drew no series");
  return pixels;
}

// The ten graphs handed to Qt Charts point for point, on the given axis ranges.
struct EveryPointChart {
  QChartView view;

  EveryPointChart(const OpenFile& open, const AxisRange& bottom, const AxisRange& left) {
    view.resize(1200, 700);
    auto* chart = new QChart();
    chart->legend()->hide();
    view.setChart(chart);
    auto* xAxis = new QValueAxis();
    auto* yAxis = new QValueAxis();
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (std::size_t k = 0; k < kFedSeries; ++k) {
      auto* line = new QLineSeries();
      QList<QPointF> points;
      const ChartSeries& s = *open.series[k];
      for (int i = 0; i < s.Count(); ++i) points.append({s.XValue(i), s.YValue(i)});
      line->replace(points);
      chart->addSeries(line);
      line->attachAxis(xAxis);
      line->attachAxis(yAxis);
    }
    xAxis->setRange(bottom.minimum, bottom.maximum);
    yAxis->setRange(left.minimum, left.maximum);
  }
};

// The ten graphs of the largest file through the chart layer; beside the time, the series
// pixels one timed paint drew and their share of those Qt Charts draws from every point.
void BM_GraphRepaint(benchmark::State& state) {
  OpenFile open;
  open.Open();
  ChartView view;
  view.resize(1200, 700);
  for (std::size_t k = 0; k < kFedSeries; ++k) view.AddSeries(open.series[k].get());
  view.Sync();
  const long pixels = Repaint(state, view);
  state.counters["drawn_points_per_series"] = view.DrawnPointCount(0);
  // The same picture: the axes the chart layer chose.
  EveryPointChart every(open, view.BottomAxis(), view.LeftAxis());
  ShowAndSettle(every.view);
  const long everyPixels = SeriesPixels(every.view);
  state.counters["every_point_series_pixels"] = double(everyPixels);
  state.counters["series_pixels_ratio"] = everyPixels ? double(pixels) / double(everyPixels) : 0;
}
BENCHMARK(BM_GraphRepaint)->Unit(benchmark::kMillisecond);

// The same ten graphs handed to Qt Charts point for point, for comparison.
void BM_GraphRepaintEveryPoint(benchmark::State& state) {
  OpenFile open;
  open.Open();
  EveryPointChart every(open, {0, kRecords}, {-100, 400});
  Repaint(state, every.view);
}
BENCHMARK(BM_GraphRepaintEveryPoint)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  File();  // written once, before anything is measured
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
