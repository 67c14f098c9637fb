#include "platform/settings_store.h"
#include "tests/support/test_files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using jwtest::AsAnotherUser;
using jwtest::ReadBytes;
using jwtest::WriteBytes;

class SettingsStoreTest : public ::testing::Test {
 protected:
  QStringList Entries() const {
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }

  QTemporaryDir dir_;
  QString path_ = dir_.filePath("store.ini");
};

// Each root is a file of its own under the configuration directory; every call reads the
// file afresh, so two stores on one file agree.
TEST_F(SettingsStoreTest, KeysAndNamesFoldCaseAndKeepTheirFirstSpelling) {
  const QString users = SettingsStore::RootFilePath(SettingsRoot::Users);
  EXPECT_TRUE(users.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME"))) << users.toStdString();
  EXPECT_NE(users, SettingsStore::RootFilePath(SettingsRoot::CurrentUser));
  SettingsStore store(SettingsRoot::Users);
  SettingsStore other(users);
  ASSERT_TRUE(store.WriteString("Software\\App\\TForm_Read", "FormVersion", "1"));
  ASSERT_TRUE(store.WriteString("\\SOFTWARE\\app\\\\tform_read", "FORMVERSION", "2"));
  EXPECT_FALSE(QFile::exists(SettingsStore::RootFilePath(SettingsRoot::Classes)));
  EXPECT_EQ(other.ReadString("software\\APP\\TForm_Read\\", "formversion"), "2");
  EXPECT_EQ(other.ValueNames("Software\\App\\TForm_Read"), QStringList{"FormVersion"});

  SCOPED_TRACE("an empty name is the key's default value, \"@\" a name of its own");
  ASSERT_TRUE(store.WriteString(".bbi", "", ""));
  ASSERT_TRUE(store.WriteString(".bbi", "@", "a value named @"));
  EXPECT_EQ(other.ReadString(".bbi", "", "absent"), "");
  EXPECT_EQ(other.ReadString(".bbi", "@"), "a value named @");

  SCOPED_TRACE("erasing a key takes its subkeys only");
  ASSERT_TRUE(store.WriteString("Software\\App\\TForm_Read.CB_Oper_Items", "Item0", "x"));
  ASSERT_TRUE(store.WriteString("Software\\App\\TForm_Read\\Deeper", "v", "1"));
  ASSERT_TRUE(store.WriteString("Software\\App\\TForm_Readout", "v", "kept"));
  ASSERT_TRUE(store.CreateSection("Software\\Other"));
  EXPECT_TRUE(store.SectionExists("Software"));  // through its subkeys
  EXPECT_EQ(store.SubKeys("Software"), (QStringList{"App", "Other"}));
  ASSERT_TRUE(store.EraseSection("SOFTWARE\\APP\\TFORM_READ"));
  EXPECT_EQ(store.SubKeys("software\\app"),
            (QStringList{"TForm_Read.CB_Oper_Items", "TForm_Readout"}));
  EXPECT_FALSE(store.EraseSection("\\"));
  ASSERT_TRUE(store.DeleteValue("Software\\App\\TForm_Readout", "V"));
  EXPECT_FALSE(store.ValueExists("Software\\App\\TForm_Readout", "v"));
  EXPECT_TRUE(store.SectionExists("Software\\App\\TForm_Readout"));
}

TEST_F(SettingsStoreTest, AwkwardTextsRoundTripThroughTheFile) {
  SettingsStore store(path_);
  for (const QString text :
       {"a=b", "[x]", "  padded  ", "50%", "%41", "line\r\nbreak", ";not a comment", "#nor this",
        "tab\tin", "Ёлка \"quoted\"", "'q'", "\u00a0nbsp\u2028", "\x7f"}) {
    SCOPED_TRACE(text.toStdString());
    ASSERT_TRUE(store.WriteString("K\\" + text, text, text));
    EXPECT_EQ(store.ReadString("K\\" + text, text), text);
  }
}

// True when `now` holds every line of `before` but its "name" line, in their order.
bool KeepsTheOtherLines(const QByteArray& before, const QByteArray& now) {
  const QList<QByteArray> lines = now.split('\n');
  qsizetype at = 0;
  for (const QByteArray& line : before.split('\n')) {
    if (line.trimmed().toLower().startsWith("name")) continue;
    at = lines.indexOf(line, at) + 1;
    if (at == 0) return false;
  }
  return true;
}

TEST_F(SettingsStoreTest, LinesTheParserCannotTakeAreKeptByteForByte) {
  const QList<QByteArray> damaged = {
      QByteArray("[S]\nname=value\n\xC8\xE2\xE0\xED=Windows-1251 bytes\n"),
      QByteArray("orphan=before any section\n[S]\nname=value\n"),
      QByteArray("[S]\njust a line without an equals sign\nname=value\n"),
      QByteArray("[S]\nname=value\n[S;\nlost=under a broken header\n"),
      QByteArray("[S]\nname=value\nnul=va\0lue\n", 26),
      QByteArray("\xEF\xBB\xBF[ s\\\\ ]\r\n  NAME = value  \r\n; note\r\n\r\n[Other]\r\nx = 1\r\n"),
  };
  for (const QByteArray& bytes : damaged) {
    SCOPED_TRACE(bytes.toStdString());
    ASSERT_TRUE(WriteBytes(path_, bytes));
    SettingsStore store(path_);
    EXPECT_EQ(store.ReadString("S", "name"), "value");
    EXPECT_EQ(store.ValueNames("S").size(), 1);  // nothing taken from lines it cannot read
    ASSERT_TRUE(store.WriteString("S", "name", "new"));
    ASSERT_TRUE(store.WriteString("S", "added", "1"));
    ASSERT_TRUE(store.WriteString("T", "x", "2"));

    const QByteArray now = ReadBytes(path_);
    EXPECT_TRUE(KeepsTheOtherLines(bytes, now)) << now.toStdString();
    // The changed line in place; the added one, a blank line, a header and a value.
    EXPECT_EQ(now.count('\n'), bytes.count('\n') + 4);
    EXPECT_EQ(now.count("\r\n") == now.count('\n'), bytes.count("\r\n") == bytes.count('\n'));
    EXPECT_EQ(store.ReadString("S", "name"), "new");
  }
}

// Only a file that is not there reads as empty: any other failure to read it is a
// refusal that names its cause, and the file is never replaced.
TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsNeverReplaced) {
  const QByteArray bytes("[S]\nname=value\n");
  ASSERT_TRUE(WriteBytes(path_, bytes));
  ASSERT_TRUE(QFile::setPermissions(path_, {}));
  // The directory lets anyone replace the file: only the store's refusal keeps it.
  ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7777)));
  QDir().mkpath(dir_.filePath("a-directory.ini"));
  const struct {
    QString path, cause;
  } unreadable[] = {
      {path_, "Доступ запрещён"},
      {dir_.filePath("a-directory.ini"), "Это каталог"},
      {path_ + "/under-a-file.ini", "Часть пути не является каталогом"},
  };
  for (const auto& [path, cause] : unreadable) {
    SCOPED_TRACE(path.toStdString());
    AsAnotherUser other;
    SettingsStore store(path);
    EXPECT_EQ(store.ReadString("S", "name", "default"), "default");
    EXPECT_EQ(store.ReadError(), "Не удаётся прочитать файл настроек " + path + ": " + cause +
                                     "; он оставлен как есть");
    EXPECT_FALSE(store.WriteString("S", "name", "x"));
    EXPECT_FALSE(store.LastError().isEmpty());
    store.BeginUpdate();
    EXPECT_FALSE(store.WriteString("S", "other", "y") || store.EndUpdate());
  }
  EXPECT_EQ(ReadBytes(path_), bytes);
  EXPECT_EQ(Entries(), (QStringList{"a-directory.ini", "store.ini"}));
}

// A header that is not UTF-8 or holds a NUL byte starts a section of its own that no name
// reaches: the values under it are kept byte for byte, never read as the section above,
// and no write goes under it.
TEST_F(SettingsStoreTest, AHeaderThatCannotBeReadLendsNothingToTheSectionAbove) {
  const QByteArray good("[Software\\jibwarden\\Path]\nDirData=/home/user/archive\n");
  const QByteArray foreign[] = {
      QByteArray("[Software\\jibwarden\\\xCF\xF3\xF2\xFC]"),  // Windows-1251
      QByteArray("[Software\\jibwarden\\Path\0]", 26),
      QByteArray("  [\xFF]"),
  };
  for (const QByteArray& header : foreign) {
    SCOPED_TRACE(header.toStdString());
    const QByteArray tail = header + "\nDirData=/foreign\nOther=1\n";
    ASSERT_TRUE(WriteBytes(path_, good + tail));
    SettingsStore store(path_);
    EXPECT_EQ(store.ReadString("Software\\jibwarden\\Path", "DirData"), "/home/user/archive");
    EXPECT_EQ(store.ValueNames("Software\\jibwarden\\Path"), QStringList{"DirData"});
    EXPECT_EQ(store.SubKeys("Software\\jibwarden"), QStringList{"Path"});

    ASSERT_TRUE(store.WriteString("Software\\jibwarden\\Path", "DirData", "/new"));
    ASSERT_TRUE(store.WriteString("Software\\jibwarden\\Path", "Added", "2"));
    EXPECT_EQ(ReadBytes(path_), "[Software\\jibwarden\\Path]\nDirData=/new\nAdded=2\n" + tail);
    ASSERT_TRUE(store.EraseSection("Software\\jibwarden"));
    EXPECT_EQ(ReadBytes(path_), tail);

    SCOPED_TRACE("with no section above it");
    ASSERT_TRUE(store.WriteString("Software\\jibwarden\\Path", "DirData", "/again"));
    EXPECT_EQ(ReadBytes(path_), tail + "\n[Software\\jibwarden\\Path]\nDirData=/again\n");
    EXPECT_EQ(store.ReadString("Software\\jibwarden\\Path", "DirData"), "/again");
  }
}

// Reads take the file again whenever it changed on disk: written in place, replaced by a
// file of the same size and time, or removed.
TEST_F(SettingsStoreTest, ReadsSeeEveryChangeOnDisk) {
  ASSERT_TRUE(WriteBytes(path_, "[S]\nv=1\n"));
  const SettingsStore store(path_);
  EXPECT_EQ(store.ReadString("S", "v"), "1");
  ASSERT_TRUE(WriteBytes(path_, "[S]\nv=2\n"));  // in place, same size
  QFile inPlace(path_);
  ASSERT_TRUE(inPlace.open(QIODevice::ReadWrite));
  ASSERT_TRUE(inPlace.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                  QFileDevice::FileModificationTime));
  inPlace.close();
  EXPECT_EQ(store.ReadString("S", "v"), "2");

  const QString other = dir_.filePath("other.ini");
  ASSERT_TRUE(WriteBytes(other, "[S]\nv=3\n"));
  QFile replacement(other);
  ASSERT_TRUE(replacement.open(QIODevice::ReadWrite));
  ASSERT_TRUE(
      replacement.setFileTime(QFileInfo(path_).lastModified(), QFileDevice::FileModificationTime));
  replacement.close();
  ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path_).constData()),
            0);
  EXPECT_EQ(store.ReadString("S", "v"), "3");

  ASSERT_TRUE(SettingsStore(path_).WriteString("S", "v", "4"));  // another store's save
  EXPECT_EQ(store.ReadString("S", "v"), "4");
  ASSERT_TRUE(QFile::remove(path_));
  EXPECT_EQ(store.ReadString("S", "v", "absent"), "absent");
  EXPECT_TRUE(store.ReadError().isEmpty());
}

// A batch saves once at its end. A cancelled batch, or a save cut short by the file-size
// limit (one value or a whole batch), leaves the old file and says why.
TEST_F(SettingsStoreTest, AnUpdateReplacesTheFileOnceOrNotAtAll) {
  SettingsStore store(path_);
  // Longer than the lock file, which the size limit below must let through.
  ASSERT_TRUE(store.WriteString("S", "name", QString(400, u'o')));
  const QByteArray before = ReadBytes(path_);
  const auto fill = [&] {
    store.BeginUpdate();
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(store.WriteString("S", QString("v%1").arg(i), "x"));
  };
  fill();
  EXPECT_EQ(store.ReadString("S", "v39"), "x");
  EXPECT_EQ(ReadBytes(path_), before);
  store.CancelUpdate();
  EXPECT_EQ(store.ReadString("S", "v0", "absent"), "absent");

  for (const bool wholeBatch : {false, true}) {
    SCOPED_TRACE(wholeBatch);
    if (wholeBatch) fill();
    // Limit the size of files this process may write, so the new file cannot be written.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const rlimit small{static_cast<rlim_t>(before.size()), saved.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written =
        wholeBatch ? store.EndUpdate() : store.WriteString("S", "name", QString(800, u'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_EQ(store.LastError(),
              "Не удаётся сохранить файл настроек " + path_ + ": Файл слишком велик");
    EXPECT_EQ(ReadBytes(path_), before);
    EXPECT_EQ(Entries(), QStringList{"store.ini"});
  }

  fill();
  ASSERT_TRUE(store.EndUpdate());
  EXPECT_EQ(SettingsStore(path_).ValueNames("S").size(), 41);
}

// A batch lands whole over a save another copy made while it ran, also the values the batch
// wrote back as it had read them.
TEST_F(SettingsStoreTest, ABatchLandsWholeOverAnotherCopysSave) {
  ASSERT_TRUE(WriteBytes(path_, "[W]\nLeft=1\nTop=1\n"));
  SettingsStore window(path_);
  window.BeginUpdate();
  SettingsStore other(path_);
  other.BeginUpdate();
  ASSERT_TRUE(other.WriteString("W", "Left", "2"));
  ASSERT_TRUE(other.WriteString("W", "Top", "2"));
  ASSERT_TRUE(other.EndUpdate());
  ASSERT_TRUE(window.WriteString("W", "Left", "1"));
  ASSERT_TRUE(window.WriteString("W", "Top", "3"));
  ASSERT_TRUE(window.EndUpdate());
  EXPECT_EQ(ReadBytes(path_), "[W]\nLeft=1\nTop=3\n");
}

// A program that died while saving leaves its lock file behind: the next save takes the
// lock over at once.
TEST_F(SettingsStoreTest, ALockLeftByAProgramThatIsGoneIsTakenOver) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    QLockFile lock(path_ + ".lock");
    _exit(lock.tryLock(0) ? 0 : 1);  // no unlock: the lock file stays
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(QFile::exists(path_ + ".lock"));

  SettingsStore store(path_);
  EXPECT_TRUE(store.WriteString("S", "v", "1")) << store.LastError().toStdString();
  EXPECT_EQ(store.ReadString("S", "v"), "1");
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// Two copies of the program saving at once, a window's save at a time, on a memory file
// system: every replace syncs the file to disk, and in memory the test takes seconds.
class SettingsStoreConcurrencyTest : public ::testing::Test {
 protected:
  static constexpr int kSaves = 1000;

  // Runs one saver for each section (with its first value) until both end.
  void RunSavers(const QList<std::pair<QString, int>>& savers) {
    std::vector<std::unique_ptr<QProcess>> running;
    for (const auto& [section, first] : savers) {
      running.push_back(std::make_unique<QProcess>());
      running.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
      running.back()->start(JW_SETTINGS_SAVER,
                            {path_, section, QString::number(kSaves), QString::number(first)});
    }
    for (const auto& saver : running) {
      ASSERT_TRUE(saver->waitForFinished(60000));
      EXPECT_EQ(saver->exitStatus(), QProcess::NormalExit);
      EXPECT_EQ(saver->exitCode(), 0);
    }
  }
  // Neither a lock nor a temporary file left behind.
  QStringList Entries() const {
    return QDir(memory_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }

  const QTemporaryDir memory_{QDir("/dev/shm").exists() ? "/dev/shm/jw-settings-XXXXXX"
                                                        : QDir::tempPath() + "/jw-settings-XXXXXX"};
  const QString path_ = memory_.filePath("store.ini");
};

// Each saves its own section of a file that also holds a third: every save is a
// transaction of its own, so no section is lost and each ends with its last values.
TEST_F(SettingsStoreConcurrencyTest, TwoProgramsSavingTheirOwnSectionsLoseNone) {
  ASSERT_TRUE(memory_.isValid());
  constexpr int kRuns = 10;
  const QStringList sections = {"Software\\jibwarden\\TForm_Read", "Software\\jibwarden\\Other"};
  int runsLosingValues = 0;
  for (int run = 0; run < kRuns; ++run) {
    SCOPED_TRACE(run);
    ASSERT_TRUE(WriteBytes(path_, "[Ports]\nCOM1=/dev/ttyUSB0\n"));
    RunSavers({{sections[0], 0}, {sections[1], 0}});
    const SettingsStore store(path_);
    bool whole = store.ReadString("Ports", "COM1") == "/dev/ttyUSB0";
    for (const QString& section : sections) {
      whole = whole && store.ReadString(section, "Save") == QString::number(kSaves - 1) &&
              store.ReadString(section, "Twice") == QString::number(2 * (kSaves - 1));
    }
    if (!whole) ++runsLosingValues;
    EXPECT_TRUE(whole) << ReadBytes(path_).toStdString();
  }
  EXPECT_EQ(runsLosingValues, 0);
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// Both save the same section, each its own values: the file ends with one save whole.
TEST_F(SettingsStoreConcurrencyTest, TwoProgramsSavingTheSameSectionEndWithOneSaveWhole) {
  ASSERT_TRUE(memory_.isValid());
  RunSavers({{"S", 0}, {"S", 1000000}});
  const SettingsStore store(path_);
  const QString last = store.ReadString("S", "Save");
  EXPECT_TRUE(last == QString::number(kSaves - 1) || last == QString::number(1000000 + kSaves - 1))
      << last.toStdString();
  EXPECT_EQ(store.ReadString("S", "Twice"), QString::number(2 * last.toInt()));
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

}  // namespace
