// Any bytes as a data file, read as the main window reads it: into the long-term texts, the
// load-spectrum bars, the record grids and the graph series. A failed read reports once; a
// good one leaves grids and graphs that agree record for record.
#include "archive/data_file.h"
#include "fuzz/fuzz_check.h"
#include "mainwindow/data_file_reader.h"
#include "platform/chart_series.h"
#include "platform/grid_model.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  FuzzFolder(argc, argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const QString path = WriteFuzzInput(QStringLiteral("д01м02г2023ч10м11c12_1.bbi"), data, size);

  GridModel tpcr, tp, find;
  ChartSeries spectrum(SeriesKind::HorizontalBar);
  std::array<std::unique_ptr<ChartSeries>, kGraphSeries> graphs;
  ReadTargets targets{&spectrum, {&tpcr, &tp, &find, {}}};
  for (std::size_t k = 0; k < kGraphSeries; ++k) {
    graphs[k] = std::make_unique<ChartSeries>();
    targets.records.graphs[k] = graphs[k].get();
  }
  int errorBoxes = 0;
  ReadHooks hooks;
  hooks.pause = [](int) {};
  hooks.message = [&](const QString& text, const QString&, BoxIcon) {
    errorBoxes += text == DataFile::kReadErrorText;
  };
  OpenFileData open;
  const bool ok = ReadDataFile(path, open, targets, hooks);

  JW_CHECK(ok == open.ReadOk && errorBoxes == (ok ? 0 : 1));
  // Bars come one a band up to the first bad one; a good read has all five.
  JW_CHECK(spectrum.Count() <= 5 && (!ok || spectrum.Count() == 5));
  if (!open.TablesFilled) return 0;
  JW_CHECK(ok && open.DeviceTypeCode <= 4 && open.CountTPCR >= 0 && open.CountTP >= 0);
  // One row and one point of every fed graph per kept operational record, labelled with
  // its time.
  const int kept = graphs[0]->Count();
  JW_CHECK(kept <= open.CountTPCR && tpcr.RowCount() == std::max(kept, 1) + 1);
  JW_CHECK(tp.RowCount() - 1 <= std::max(open.CountTP, 1));
  for (std::size_t k = 0; k < kGraphSeries; ++k)
    JW_CHECK(graphs[k]->Count() == (k < kFedSeries ? kept : 0));
  for (int i = 0; i < kept; ++i)
    JW_CHECK(graphs[0]->Label(i) == tpcr.Cells(1, i + 1) && tpcr.Cells(0, i + 1).toInt() == i + 1);
  return 0;
}
