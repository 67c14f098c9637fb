// Reads from a 10 MB settings file: 100 reads of values spread over a file that does not
// change, as a window's restore makes one after another, and the read that follows a change
// of the file on disk (one parse); and a window's save into such a file, 30 writes in one batch
// with the save at its end, to be set beside that parse.
#include "platform/settings_store.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdlib>

namespace {

constexpr int kSections = 23000;  // of 10 values each: about 10 MB

QString MakeLargeSettingsFile(const QString& file) {
  QByteArray bytes;
  for (int s = 0; s < kSections; ++s) {
    bytes += "[Software\\jibwarden\\Window" + QByteArray::number(s) + "]\n";
    for (int v = 0; v < 10; ++v)
      bytes += "Value" + QByteArray::number(v) + "=" + QByteArray(32, char('a' + v)) + "\n";
  }
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) std::abort();
  return file;
}

QTemporaryDir& BenchFolder() {
  static QTemporaryDir dir;
  return dir;
}

const QString& LargeSettingsFile() {
  static const QString path = MakeLargeSettingsFile(BenchFolder().filePath("current_user.ini"));
  return path;
}

QString ValueOf(const SettingsStore& store, int section) {
  return store.ReadString(QStringLiteral("Software\\jibwarden\\Window%1").arg(section),
                          QStringLiteral("Value7"));
}

// A window's restore on a file the program has read before: a new store, 100 reads.
void BM_HundredReadsOfAnUnchangedLargeFile(benchmark::State& state) {
  benchmark::DoNotOptimize(ValueOf(SettingsStore(LargeSettingsFile()), 0));
  for (auto _ : state) {
    const SettingsStore store(LargeSettingsFile());
    for (int i = 0; i < 100; ++i) benchmark::DoNotOptimize(ValueOf(store, i * 229));
  }
}
BENCHMARK(BM_HundredReadsOfAnUnchangedLargeFile)->Unit(benchmark::kMillisecond);

// One read after the file changed on disk: read and parsed again.
void BM_ReadOfAChangedLargeFile(benchmark::State& state) {
  const SettingsStore store(LargeSettingsFile());
  QFile file(LargeSettingsFile());
  if (!file.open(QIODevice::ReadWrite)) std::abort();
  QDateTime stamp = QDateTime::currentDateTime();
  for (auto _ : state) {
    state.PauseTiming();
    stamp = stamp.addSecs(1);
    file.setFileTime(stamp, QFileDevice::FileModificationTime);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ValueOf(store, 9999));
  }
}
BENCHMARK(BM_ReadOfAChangedLargeFile)->Unit(benchmark::kMillisecond);

// A window's save: 30 values spread over the file written in one batch, and its EndUpdate.
// A file of its own, as the save changes it.
void BM_BatchOfThirtyWritesIntoALargeFile(benchmark::State& state) {
  static const QString path = MakeLargeSettingsFile(BenchFolder().filePath("saved.ini"));
  SettingsStore store(path);
  benchmark::DoNotOptimize(ValueOf(store, 0));
  static int round = 0;  // across runs too: every batch changes the file
  for (auto _ : state) {
    ++round;
    store.BeginUpdate();
    for (int i = 0; i < 30; ++i) {
      // Half of them change a value the file holds, half add one.
      const QString section = QStringLiteral("Software\\jibwarden\\Window%1").arg(i * 761);
      store.WriteString(section,
                        i % 2 ? QStringLiteral("Value3") : QStringLiteral("Added%1").arg(round),
                        QString::number(round));
    }
    if (!store.EndUpdate()) std::abort();
  }
}
BENCHMARK(BM_BatchOfThirtyWritesIntoALargeFile)->Unit(benchmark::kMillisecond);

}  // namespace
