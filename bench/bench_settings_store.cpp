// Reads from a 10 MB settings file: 100 reads of values spread over a file that does not
// change, as a window's restore makes one after another, and the read that follows a change
// of the file on disk (one parse); and a window's save into such a file, 30 writes in one batch
// with the save at its end, to be set beside that parse. The file in two shapes: many sections
// of ten values (argument 0), and all its values in one section (argument 1).
#include "platform/settings_store.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

constexpr int kSections = 23000;  // of 10 values each: about 10 MB

QString SectionName(bool oneSection, int section) {
  return oneSection ? QStringLiteral("Software\\jibwarden\\Window")
                    : QStringLiteral("Software\\jibwarden\\Window%1").arg(section);
}

QString ValueName(bool oneSection, int section, int value) {
  return oneSection ? QStringLiteral("Value%1_%2").arg(section).arg(value)
                    : QStringLiteral("Value%1").arg(value);
}

QString MakeLargeSettingsFile(const QString& file, bool oneSection) {
  QByteArray bytes;
  for (int s = 0; s < kSections; ++s) {
    if (!oneSection || s == 0) bytes += '[' + SectionName(oneSection, s).toUtf8() + "]\n";
    for (int v = 0; v < 10; ++v)
      bytes += ValueName(oneSection, s, v).toUtf8() + "=" + QByteArray(32, char('a' + v)) + "\n";
  }
  QFile out(file);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) std::abort();
  return file;
}

QTemporaryDir& BenchFolder() {
  static QTemporaryDir dir;
  return dir;
}

// Written once, then left to age: a file read right after a change is read again to be sure.
const QString& LargeSettingsFile(bool oneSection) {
  static const QString paths[2] = {
      MakeLargeSettingsFile(BenchFolder().filePath("current_user.ini"), false),
      MakeLargeSettingsFile(BenchFolder().filePath("one_section.ini"), true)};
  static const bool aged = (std::this_thread::sleep_for(std::chrono::seconds(3)), true);
  (void)aged;
  return paths[oneSection ? 1 : 0];
}

QString ValueOf(const SettingsStore& store, bool oneSection, int section) {
  return store.ReadString(SectionName(oneSection, section), ValueName(oneSection, section, 7));
}

// A window's restore on a file the program has read before: a new store, 100 reads.
void BM_HundredReadsOfAnUnchangedLargeFile(benchmark::State& state) {
  const bool oneSection = state.range(0) != 0;
  const QString& path = LargeSettingsFile(oneSection);
  benchmark::DoNotOptimize(ValueOf(SettingsStore(path), oneSection, 0));
  for (auto _ : state) {
    const SettingsStore store(path);
    for (int i = 0; i < 100; ++i) benchmark::DoNotOptimize(ValueOf(store, oneSection, i * 229));
  }
}
BENCHMARK(BM_HundredReadsOfAnUnchangedLargeFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One read after the file changed on disk: read and parsed again.
void BM_ReadOfAChangedLargeFile(benchmark::State& state) {
  const bool oneSection = state.range(0) != 0;
  const SettingsStore store(LargeSettingsFile(oneSection));
  QFile file(LargeSettingsFile(oneSection));
  if (!file.open(QIODevice::ReadWrite)) std::abort();
  QDateTime stamp = QDateTime::currentDateTime();
  for (auto _ : state) {
    state.PauseTiming();
    stamp = stamp.addSecs(1);
    file.setFileTime(stamp, QFileDevice::FileModificationTime);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ValueOf(store, oneSection, 9999));
  }
}
BENCHMARK(BM_ReadOfAChangedLargeFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A window's save: 30 values spread over the file written in one batch, and its EndUpdate.
// A file of its own, as the save changes it.
void BM_BatchOfThirtyWritesIntoALargeFile(benchmark::State& state) {
  const bool oneSection = state.range(0) != 0;
  const QString path = MakeLargeSettingsFile(
      BenchFolder().filePath(oneSection ? "saved_one_section.ini" : "saved.ini"), oneSection);
  SettingsStore store(path);
  benchmark::DoNotOptimize(ValueOf(store, oneSection, 0));
  static int round = 0;  // across runs too: every batch changes the file
  for (auto _ : state) {
    ++round;
    store.BeginUpdate();
    for (int i = 0; i < 30; ++i) {
      // Half of them change a value the file holds, half add one.
      const QString section = SectionName(oneSection, i * 761);
      store.WriteString(section,
                        i % 2 ? ValueName(oneSection, i * 761, 3)
                              : QStringLiteral("Added%1_%2").arg(round).arg(i),
                        QString::number(round));
    }
    if (!store.EndUpdate()) std::abort();
  }
}
BENCHMARK(BM_BatchOfThirtyWritesIntoALargeFile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
