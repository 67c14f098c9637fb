#include "platform/settings_store.h"
#include "tests/support/call_hold.h"
#include "tests/support/child_process.h"
#include "tests/support/environment_scope.h"
#include "tests/support/test_files.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStringDecoder>
#include <QSysInfo>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <iterator>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <sched.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using jwtest::AsAnotherUser;
using jwtest::Child;
using jwtest::CurrentFolderScope;
using jwtest::EnvironmentScope;
using jwtest::Finish;
using jwtest::HoldAtCalls;
using jwtest::ReadBytes;
using jwtest::RunInChild;
using jwtest::ScopedChild;
using jwtest::ScopedProcess;
using jwtest::StartInChild;
using jwtest::WriteBytes;

// Runs a program and gives its exit status; -1 when it could not start or did not end within
// `limit`.
int RunProgram(std::vector<std::string> arguments, std::chrono::seconds limit) {
  ScopedChild child(fork());
  if (child.Pid() == 0) {
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execvp(argv[0], argv.data());
    _exit(127);
  }
  const std::optional<int> status = child.Wait(limit);
  if (!status || !WIFEXITED(*status)) return -1;
  return WEXITSTATUS(*status) == 127 ? -1 : WEXITSTATUS(*status);
}

// From here on every flock of this process fails as on a network file system without a lock
// manager; false when the system lets no process filter its calls.
bool FlockFailsFromHere() {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_flock, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | ENOLCK),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  const sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// The system calls that rename a file: a save's last step.
std::vector<int> RenameCalls() {
  return {
#ifdef __NR_rename
      __NR_rename,
#endif
      __NR_renameat, __NR_renameat2};
}

// Saves "v" = "1" into the file: "written" or the error, and on the next line how long the
// save took, in milliseconds.
QByteArray TimedSave(const QString& path) {
  const auto start = std::chrono::steady_clock::now();
  SettingsStore store(path);
  const QByteArray result =
      store.WriteString("S", "v", "1") ? "written" : store.LastError().toUtf8();
  const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  return result + '\n' + QByteArray::number(qint64(took.count()));
}

// A file's modification time set `seconds` back from now.
bool MakeOld(const QString& path, int seconds) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) &&
         file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                          QFileDevice::FileModificationTime);
}

// The process id of a program that has ended.
pid_t EndedProgram() {
  ScopedChild child(fork());
  if (child.Pid() == 0) _exit(0);
  const pid_t ended = child.Pid();
  child.Wait(std::chrono::seconds(5));
  return ended;
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  QStringList Entries() const {
    return QDir(dir_.path())
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden);
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

// A relative XDG_CONFIG_HOME is ignored for the default under HOME; where no absolute home is
// known at all, the user's roots have no file: they read as empty and every save is refused,
// named, with nothing made under the current folder.
TEST_F(SettingsStoreTest, WithoutAKnownHomeTheUsersRootsRefuseEverySave) {
  const CurrentFolderScope folder(dir_.path());
  const EnvironmentScope config("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(SettingsStore::RootFilePath(SettingsRoot::CurrentUser),
            QDir::homePath() + "/.config/jibwarden/current_user.ini");
  const EnvironmentScope home("HOME", "");
  const QString refusal = QStringLiteral(
      "Не удаётся сохранить файл настроек: не известен домашний каталог пользователя (HOME)");
  for (SettingsRoot root : {SettingsRoot::Classes, SettingsRoot::Users, SettingsRoot::CurrentUser,
                            SettingsRoot::CurrentConfig, SettingsRoot::DynData}) {
    SCOPED_TRACE(int(root));
    EXPECT_EQ(SettingsStore::RootFilePath(root), QString());
    SettingsStore store(root);
    EXPECT_EQ(store.ReadString("S", "v", "default"), "default");
    EXPECT_EQ(store.ReadError(), QString());
    EXPECT_FALSE(store.WriteString("S", "v", "1"));
    EXPECT_EQ(store.LastError(), refusal);
    store.BeginUpdate();
    store.WriteString("S", "w", "2");
    EXPECT_FALSE(store.EndUpdate());
    EXPECT_EQ(store.LastError(), refusal);
  }
  EXPECT_EQ(Entries(), QStringList{});
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

// UTF-8 with a leading byte-order mark kept as part of the text (QString::fromUtf8 drops it).
QString Utf8(const QByteArray& bytes) {
  auto toUtf16 = QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
  return toUtf16(bytes);
}

// The values of (section, name) pairs as a program started afresh reads them from the file,
// nothing known before; "<absent>" for one that is not there.
QStringList ReadInAFreshProgram(const QString& path,
                                const QList<std::pair<QString, QString>>& keys) {
  QStringList arguments = {"--read", path};
  for (const auto& [section, name] : keys)
    arguments << section.toUtf8().toHex() << name.toUtf8().toHex();
  ScopedProcess reader;
  reader.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  reader.start(JW_SETTINGS_SAVER, arguments);
  if (!reader.waitForFinished(30000) || reader.exitCode() != 0) return {"<reader failed>"};
  QStringList values;
  for (const QByteArray& line : reader.readAllStandardOutput().split('\n').first(keys.size()))
    values += line == "-" ? QStringLiteral("<absent>") : Utf8(QByteArray::fromHex(line));
  return values;
}

// Nothing comes from the writer's memory: a program started afterwards reads the file.
TEST_F(SettingsStoreTest, AwkwardTextsReadBackInAFreshProgram) {
  const QStringList texts = {"  padded  ",
                             "trailing ",
                             " leading",
                             "50%",
                             "%41",
                             "50%41",
                             "a=b",
                             "[x]",
                             "]",
                             "line\r\nbreak",
                             "cr\r",
                             "lf\n",
                             ";not a comment",
                             "#nor this",
                             "tab\tin",
                             "Ёлка \"quoted\"",
                             "Журнал",
                             "\u00a0nbsp",
                             QStringLiteral(u"\ufeff"),  // not through UTF-8, which drops it
                             QStringLiteral(u"\ufeffbom"),
                             QStringLiteral(u"\ufeff\ufeffboms"),
                             QStringLiteral(u"bom\ufeff")};
  SettingsStore store(path_);
  QList<std::pair<QString, QString>> keys;
  for (const QString& text : texts) {
    ASSERT_TRUE(store.WriteString("K\\" + text, text, text)) << store.LastError().toStdString();
    keys.append({"K\\" + text, text});
  }
  const QStringList read = ReadInAFreshProgram(path_, keys);
  ASSERT_EQ(read.size(), texts.size()) << read.join(u'|').toStdString();
  for (qsizetype i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(texts[i].toStdString());
    EXPECT_EQ(read[i].toStdString(), texts[i].toStdString());
  }
}

// A key's first name and a value's name that begin with a byte-order mark, written at the top
// of a new file or after the file's byte-order mark, read back so in a fresh program; files
// written before read as they always have: a byte-order mark that begins a line is none of
// its text, and the file's first line may have two.
TEST_F(SettingsStoreTest, NamesBeginningWithAByteOrderMarkReadBackAndOldFilesReadAsBefore) {
  const QString bom(QChar(0xfeff));
  const QList<std::optional<QByteArray>> starts = {
      std::nullopt, QByteArray(), QByteArray("\xEF\xBB\xBF"), QByteArray("\xEF\xBB\xBF\n"),
      QByteArray("\xEF\xBB\xBF[S]\r\nv=1\r\n")};
  for (const std::optional<QByteArray>& start : starts) {
    SCOPED_TRACE(start.value_or("(no file)").toStdString());
    QFile::remove(path_);
    if (start) {
      ASSERT_TRUE(WriteBytes(path_, *start));
    }
    SettingsStore store(path_);
    ASSERT_TRUE(store.WriteString(bom + "Key", bom + "Name", bom + "Value"))
        << store.LastError().toStdString();
    ASSERT_TRUE(store.WriteString(bom + "Key", bom + "Other", "2"));
    EXPECT_EQ(ReadInAFreshProgram(path_, {{bom + "Key", bom + "Name"},
                                          {bom + "Key", bom + "Other"},
                                          {"Key", "Name"},
                                          {"S", "v"}}),
              (QStringList{bom + "Value", "2", "<absent>",
                           start && start->contains("[S]") ? "1" : "<absent>"}));
  }

  SCOPED_TRACE("a file written before");
  ASSERT_TRUE(WriteBytes(path_,
                         "\xEF\xBB\xBF\xEF\xBB\xBF[S]\r\n\xEF\xBB\xBFname=v\r\n"
                         "\xEF\xBB\xBF[T]\r\n\xEF\xBB\xBF\xEF\xBB\xBFx=1\r\n"));
  const SettingsStore old(path_);
  EXPECT_EQ(old.ValueNames("S"), QStringList{"name"});
  EXPECT_EQ(old.ReadString("S", "name"), "v");
  EXPECT_EQ(old.ValueNames("T"), QStringList{bom + "x"});
  EXPECT_EQ(ReadInAFreshProgram(path_, {{"S", "name"}, {"T", bom + "x"}}), (QStringList{"v", "1"}));
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
  // Readable again for the look, also where the test does not run as root.
  ASSERT_TRUE(QFile::setPermissions(path_, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
  EXPECT_EQ(ReadBytes(path_), bytes);
  EXPECT_EQ(Entries(), (QStringList{"a-directory.ini", "store.ini"}));
}

// A path that is no regular file, or a file too large for one, is refused at once and named,
// as a file that cannot be read is, and left as it is: a named pipe where the file should be
// would hold the open for ever, a link to a device be read without end. In a child process,
// so that a store that blocks fails the test instead of holding it.
TEST_F(SettingsStoreTest, APathThatIsNoRegularFileIsRefusedAtOnce) {
  const QString pipe = dir_.filePath("pipe.ini"), device = dir_.filePath("device.ini"),
                socket = dir_.filePath("socket.ini"), large = dir_.filePath("large.ini");
  ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
  ASSERT_TRUE(QFile::link("/dev/zero", device));
  // Bound by its name within the folder, which is short whatever the folder's path; the
  // socket file stays when the child ends.
  const std::optional<QByteArray> bound = RunInChild(
      [&] {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strcpy(address.sun_path, "socket.ini");
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool made =
            ::chdir(QFile::encodeName(dir_.path()).constData()) == 0 &&
            ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        return QByteArray(made ? "bound" : std::strerror(errno));
      },
      std::chrono::seconds(5));
  ASSERT_EQ(bound, QByteArray("bound"));
  {
    QFile file(large);  // sparse: no disk taken
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize((qint64(64) << 20) + 1));
  }
  const struct {
    QString path, cause;
  } refused[] = {
      {pipe, "Это канал, а не файл"},
      {device, "Это устройство, а не файл"},
      {socket, "Это сокет, а не файл"},
      {large, "Файл больше 64 МБ"},
  };
  for (const auto& [path, cause] : refused) {
    SCOPED_TRACE(path.toStdString());
    const std::optional<QByteArray> seen = RunInChild(
        [path = path] {
          SettingsStore store(path);
          QStringList results = {store.ReadString("S", "name", "default"), store.ReadError()};
          results += store.WriteString("S", "name", "x") ? "written" : store.LastError();
          store.BeginUpdate();
          results += store.WriteString("S", "other", "y") || store.EndUpdate() ? "written"
                                                                               : store.LastError();
          return results.join(u'\n').toUtf8();
        },
        std::chrono::seconds(5));
    ASSERT_TRUE(seen.has_value()) << "the store did not return";
    const QString error =
        "Не удаётся прочитать файл настроек " + path + ": " + cause + "; он оставлен как есть";
    EXPECT_EQ(QString::fromUtf8(*seen), QStringList({"default", error, error, error}).join(u'\n'));
  }
  EXPECT_EQ(QFileInfo(large).size(), (qint64(64) << 20) + 1);
  EXPECT_EQ(QFileInfo(device).symLinkTarget(), "/dev/zero");
  EXPECT_EQ(Entries(), (QStringList{"device.ini", "large.ini", "pipe.ini", "socket.ini"}));
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

// Writes `bytes` over the start of the file in place and sets its times back to `before`'s, as
// a tool that copies times does: the same inode, size and modification time, only the change
// time tells. `after` is the file's status then.
void EditInPlaceKeepingTimes(const QString& file, const struct stat& before,
                             const QByteArray& bytes, struct stat& after) {
  const QByteArray path = QFile::encodeName(file);
  const int fd = ::open(path.constData(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::pwrite(fd, bytes.constData(), std::size_t(bytes.size()), 0), bytes.size());
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(::futimens(fd, times), 0);
  ::close(fd);
  ASSERT_EQ(::stat(path.constData(), &after), 0);
  ASSERT_EQ(after.st_ino, before.st_ino);
  ASSERT_EQ(after.st_size, before.st_size);
  ASSERT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  ASSERT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
}

// A tool that copies times (cp -p, touch -r, rsync -t --inplace) edits the file in place and
// sets its size and modification time back: the change time tells. The next save goes into
// the edited file, not over it.
TEST_F(SettingsStoreTest, AnEditInPlaceThatKeepsSizeAndModificationTimeIsRead) {
  ASSERT_TRUE(WriteBytes(path_, "[S]\nv=1\nw=1\n"));
  SettingsStore store(path_);
  EXPECT_EQ(store.ReadString("S", "v"), "1");
  struct stat before {};
  ASSERT_EQ(::stat(QFile::encodeName(path_).constData(), &before), 0);
  // File times come from a coarse clock: the edit falls after the time the file has.
  for (timespec now{};
       ::clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0 &&
       (now.tv_sec < before.st_ctim.tv_sec ||
        (now.tv_sec == before.st_ctim.tv_sec && now.tv_nsec <= before.st_ctim.tv_nsec));)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  struct stat after {};
  ASSERT_NO_FATAL_FAILURE(EditInPlaceKeepingTimes(path_, before, "[S]\nv=2", after));

  EXPECT_EQ(store.ReadString("S", "v"), "2");
  ASSERT_TRUE(store.WriteString("S", "w", "3"));
  EXPECT_EQ(ReadBytes(path_), "[S]\nv=2\nw=3\n");
}

// Long after the file's last change (past the grain of its times), a read trusts the file's
// identity and compares no bytes: an edit in place that then keeps size and modification time
// shows by its change time alone. It is read, and the next save goes into the edited file.
TEST_F(SettingsStoreTest, AnEditInPlaceLongAfterTheLastChangeIsRead) {
  ASSERT_TRUE(WriteBytes(path_, "[S]\nv=1\nw=1\n"));
  const QByteArray path = QFile::encodeName(path_);
  struct stat before {};
  ASSERT_EQ(::stat(path.constData(), &before), 0);
  // Whole seconds where the change time shows nothing finer.
  std::this_thread::sleep_for(std::chrono::milliseconds(before.st_ctim.tv_nsec == 0 ? 2500 : 200));
  SettingsStore store(path_);
  EXPECT_EQ(store.ReadString("S", "v"), "1");
  EXPECT_EQ(store.ReadString("S", "w"), "1");
  struct stat after {};
  ASSERT_NO_FATAL_FAILURE(EditInPlaceKeepingTimes(path_, before, "[S]\nv=2", after));
  ASSERT_NE(std::pair(after.st_ctim.tv_sec, after.st_ctim.tv_nsec),
            std::pair(before.st_ctim.tv_sec, before.st_ctim.tv_nsec));

  EXPECT_EQ(store.ReadString("S", "v"), "2");
  ASSERT_TRUE(store.WriteString("S", "w", "3"));
  EXPECT_EQ(ReadBytes(path_), "[S]\nv=2\nw=3\n");
}

// On a file system whose times count whole seconds (ext4 with small inodes), an edit in place
// within the second of the last change keeps every time the file has, its change time too:
// the bytes tell, read again while the file is that young. The next save goes into the
// edited file. Mounting a file system of its own needs root; in a child, in a mount namespace
// of its own, so that the mount goes with it.
TEST_F(SettingsStoreTest, AnEditWithinTheSecondOnACoarseFileSystemIsRead) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting a file system needs root";
  const std::string image = QFile::encodeName(dir_.filePath("coarse.img")).toStdString();
  const QString mountPoint = dir_.filePath("coarse");
  ASSERT_TRUE(QDir().mkpath(mountPoint));
  const std::optional<QByteArray> seen = RunInChild(
      [&]() -> QByteArray {
        if (::truncate(image.c_str(), 0) != 0 && errno != ENOENT) return "no image";
        QFile(QString::fromStdString(image)).open(QIODevice::WriteOnly);
        if (::truncate(image.c_str(), 4 << 20) != 0) return "no image";
        if (RunProgram({"mkfs.ext4", "-q", "-F", "-I", "128", image}, std::chrono::seconds(8)) != 0)
          return "skip: no mkfs.ext4";
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            RunProgram({"mount", "-o", "loop", image, mountPoint.toStdString()},
                       std::chrono::seconds(8)) != 0)
          return "skip: no loop mount";
        const QString path = mountPoint + "/store.ini";
        // Early in a second, so that the write, the read and the edit share it.
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        std::this_thread::sleep_for(std::chrono::nanoseconds(1020000000 - now.tv_nsec));
        if (!WriteBytes(path, "[S]\nv=1\nw=1\n")) return "no file";
        SettingsStore store(path);
        const QString first = store.ReadString("S", "v");
        struct stat before {};
        ::stat(QFile::encodeName(path).constData(), &before);
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY);
        const timespec times[2] = {before.st_atim, before.st_mtim};
        if (fd < 0 || ::pwrite(fd, "[S]\nv=2", 7, 0) != 7 || ::futimens(fd, times) != 0)
          return "no edit";
        ::close(fd);
        struct stat after {};
        ::stat(QFile::encodeName(path).constData(), &after);
        if (after.st_ctim.tv_sec != before.st_ctim.tv_sec ||
            after.st_ctim.tv_nsec != before.st_ctim.tv_nsec)
          return "skip: the edit fell into the next second";
        const QString second = store.ReadString("S", "v");
        const QString saved = store.WriteString("S", "w", "3") ? QString::fromUtf8(ReadBytes(path))
                                                               : store.LastError();
        return (first + u'\n' + second + u'\n' + saved).toUtf8();
      },
      std::chrono::seconds(10));
  ASSERT_TRUE(seen.has_value()) << "the child did not end";
  if (seen->startsWith("skip:")) GTEST_SKIP() << seen->toStdString();
  EXPECT_EQ(QString::fromUtf8(*seen), "1\n2\n[S]\nv=2\nw=3\n");
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

// A batch lands over the file as it is at EndUpdate: a section that another copy of the program
// saved after the batch began is kept.
TEST_F(SettingsStoreTest, ABatchKeepsWhatAnotherCopySavedSinceItBegan) {
  ASSERT_TRUE(WriteBytes(path_, "[W]\nLeft=1\n"));
  SettingsStore window(path_);
  window.BeginUpdate();
  ASSERT_TRUE(window.WriteString("W", "Left", "2"));
  ScopedProcess other;
  other.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  other.start(JW_SETTINGS_SAVER, {path_, "Other", "1", "7"});
  ASSERT_TRUE(other.waitForFinished(30000));
  ASSERT_EQ(other.exitCode(), 0);
  ASSERT_TRUE(window.WriteString("W", "Top", "3"));
  ASSERT_TRUE(window.EndUpdate()) << window.LastError().toStdString();
  EXPECT_EQ(ReadBytes(path_), "[W]\nLeft=2\nTop=3\n\n[Other]\nSave=7\nTwice=14\n");
}

// A fresh lock of a copy on another host (whose flock this host cannot see) is that copy's
// until it is stale by age: a save waits, the lock as it was, and saves once that copy is done.
TEST_F(SettingsStoreTest, AFreshLockOfACopyOnAnotherHostIsWaitedFor) {
  const QString lock = path_ + ".lock";
  const QByteArray holder("12345\njibwarden\nanother-host.example\n");
  ASSERT_TRUE(WriteBytes(lock, holder));
  Child saver = StartInChild([&] {
    SettingsStore store(path_);
    return store.WriteString("S", "v", "1") ? QByteArray("written") : store.LastError().toUtf8();
  });
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_TRUE(saver.process.Running()) << "the lock was taken from the other host's copy";
  EXPECT_EQ(ReadBytes(lock), holder);
  EXPECT_FALSE(QFile::exists(path_));
  ASSERT_TRUE(QFile::remove(lock));  // that copy is done
  EXPECT_EQ(Finish(saver, std::chrono::seconds(12)), QByteArray("written"));
  EXPECT_EQ(SettingsStore(path_).ReadString("S", "v"), "1");
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// A program that died while saving leaves its lock file behind: the next save takes the
// lock over at once.
TEST_F(SettingsStoreTest, ALockLeftByAProgramThatIsGoneIsTakenOver) {
  ScopedChild child(fork());
  ASSERT_GE(child.Pid(), 0);
  if (child.Pid() == 0) {
    QLockFile lock(path_ + ".lock");
    _exit(lock.tryLock(0) ? 0 : 1);  // no unlock: the lock file stays
  }
  const std::optional<int> status = child.Wait(std::chrono::seconds(5));
  ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0);
  ASSERT_TRUE(QFile::exists(path_ + ".lock"));

  SettingsStore store(path_);
  EXPECT_TRUE(store.WriteString("S", "v", "1")) << store.LastError().toStdString();
  EXPECT_EQ(store.ReadString("S", "v"), "1");
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// A lock file that is a folder never goes away by itself: refused at once, named.
TEST_F(SettingsStoreTest, ALockThatIsAFolderIsRefusedAndNamed) {
  ASSERT_TRUE(QDir().mkpath(path_ + ".lock"));
  SettingsStore store(path_);
  EXPECT_FALSE(store.WriteString("S", "v", "1"));
  EXPECT_EQ(store.LastError(), "Не удаётся заблокировать файл настроек " + path_ +
                                   " (файл блокировки " + path_ + ".lock): Это каталог");
  EXPECT_FALSE(QFile::exists(path_));
}

// A stale lock is removed where the folder allows it (removing a file needs the folder's
// write permission, not the file's), also one the user cannot open for writing, as a copy
// started as another user leaves it, and one larger than any lock; where the folder does not,
// the cause is named. Each save in a child, so that one that never ends fails the test.
TEST_F(SettingsStoreTest, AStaleLockIsRemovedWhereTheFolderAllowsIt) {
  const QByteArray host = QSysInfo::machineHostName().toUtf8();
  const QByteArray ended = QByteArray::number(EndedProgram());
  const struct {
    const char* what;
    QByteArray holder;
    int secondsOld;
    bool folderWritable;
    QString cause;
  } locks[] = {
      {"of a program that has ended", ended + "\njibwarden\n" + host + "\n", 0, true, {}},
      {"empty", "", 5, true, {}},
      {"garbled", "not a lock\n", 5, true, {}},
      {"of another host, old", "12345\njibwarden\nanother-host.example\n", 60, true, {}},
      {"larger than any lock", QByteArray(5000, 'x'), 5, true, {}},
      {"stale in a folder that keeps it", ended + "\njibwarden\n" + host + "\n", 0, false,
       "он остался от завершившейся программы, а удалить его нельзя: Доступ запрещён"},
  };
  const QString lock = path_ + ".lock";
  for (const auto& [what, holder, secondsOld, folderWritable, cause] : locks) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(WriteBytes(lock, holder));
    ASSERT_TRUE(QFile::setPermissions(
        lock, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const QDateTime stamp = QDateTime::currentDateTime().addSecs(-secondsOld);
    QFile old(lock);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly) &&
                old.setFileTime(stamp, QFileDevice::FileModificationTime));
    old.close();
    ASSERT_TRUE(QFile::setPermissions(dir_.path(), folderWritable
                                                       ? QFileDevice::Permissions(0x7777)
                                                       : QFileDevice::Permissions(0x5555)));
    std::optional<QByteArray> seen;
    {
      AsAnotherUser other;  // root opens any file
      if (geteuid() == 0) GTEST_SKIP() << "runs as root and cannot act as another user";
      seen = RunInChild(
          [&, what = what] {
            SettingsStore store(path_);
            return store.WriteString("S", "v", what) ? QByteArray() : store.LastError().toUtf8();
          },
          std::chrono::seconds(5));
    }
    ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7700)));
    ASSERT_TRUE(seen.has_value()) << "the save did not end";
    const QString error = QString::fromUtf8(*seen);
    const bool written = error.isEmpty();
    if (cause.isEmpty()) {
      EXPECT_TRUE(written) << error.toStdString();
      EXPECT_EQ(SettingsStore(path_).ReadString("S", "v"), what);
      EXPECT_EQ(Entries(), QStringList{"store.ini"});
    } else {
      EXPECT_FALSE(written);
      EXPECT_EQ(error, "Не удаётся заблокировать файл настроек " + path_ + " (файл блокировки " +
                           lock + "): " + cause);
      EXPECT_EQ(ReadBytes(lock), holder);
    }
    QFile::remove(lock);
    QFile::remove(path_);
  }
}

// Removing a lock file is safe only under the folder's flock, which every copy removing one
// holds: else a copy that judged a lock stale could remove one that another copy made in its
// place meanwhile. While another copy holds it, a save waits; then it takes the stale lock
// over, one the user cannot even open (its age alone tells).
TEST_F(SettingsStoreTest, AStaleLockGoesOnlyUnderTheFoldersFlock) {
  const QString lock = path_ + ".lock";
  ASSERT_TRUE(WriteBytes(lock, "12345\njibwarden\nanother-host.example\n"));
  ASSERT_TRUE(MakeOld(lock, 60));
  ASSERT_TRUE(QFile::setPermissions(lock, {}));
  ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7777)));
  const int folder = ::open(QFile::encodeName(dir_.path()).constData(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  ASSERT_EQ(::flock(folder, LOCK_EX), 0);
  Child saver;
  {
    AsAnotherUser other;  // root opens any file
    if (geteuid() == 0) GTEST_SKIP() << "runs as root and cannot act as another user";
    saver = StartInChild([&] {
      ::close(folder);  // the flock is the parent's alone
      SettingsStore store(path_);
      return store.WriteString("S", "v", "1") ? QByteArray("written") : store.LastError().toUtf8();
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(saver.process.Running());
  EXPECT_EQ(Entries(), QStringList{"store.ini.lock"});
  ::close(folder);
  const std::optional<QByteArray> seen = Finish(saver, std::chrono::seconds(5));
  ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7700)));
  ASSERT_TRUE(seen.has_value()) << "the save did not end";
  EXPECT_EQ(QString::fromUtf8(*seen), "written");
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// A lock made under umask 077 by a copy that is still saving can be opened by every copy that
// may write the folder: a copy of another user judges it by its flock, never by its age, waits
// for the holder however old the lock looks, and saves after it; nothing is lost. Where the
// test cannot act as another user, the second copy is the same user's and the lock's mode tells.
TEST_F(SettingsStoreTest, ALiveHoldersLockIsJudgedByItsFlockWhateverTheUmask) {
  const QString lock = path_ + ".lock";
  ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7777)));
  ASSERT_TRUE(WriteBytes(path_, "[Holder]\nv=0\n"));
  ASSERT_TRUE(QFile::setPermissions(path_, QFileDevice::Permissions(0x6644)));
  int stopped[2], go[2];
  ASSERT_EQ(::pipe(stopped), 0);
  ASSERT_EQ(::pipe(go), 0);
  // Stopped inside its save, before it replaces the file, until the test lets it go on.
  Child holder = StartInChild([&]() -> QByteArray {
    ::umask(077);
    if (!HoldAtCalls(RenameCalls(), [&](int) {
          char signal = 's';
          if (::write(stopped[1], &signal, 1) != 1 || ::read(go[0], &signal, 1) != 1) _exit(3);
        }))
      return "skip: no watch of system calls: " + QByteArray(std::strerror(errno));
    SettingsStore store(path_);
    return store.WriteString("Holder", "v", "1") ? "written" : store.LastError().toUtf8();
  });
  ::close(stopped[1]);
  ::close(go[0]);
  pollfd inside{stopped[0], POLLIN, 0};
  char signal = 0;
  const bool isInside = ::poll(&inside, 1, 10000) == 1 && ::read(stopped[0], &signal, 1) == 1;
  ::close(stopped[0]);
  if (!isInside) {
    ::close(go[1]);
    const std::optional<QByteArray> seen = Finish(holder, std::chrono::seconds(5));
    if (seen && seen->startsWith("skip:")) GTEST_SKIP() << seen->toStdString();
    FAIL() << "the holder did not reach its replace: "
           << seen.value_or("(still running)").toStdString();
  }
  struct stat made {};
  ASSERT_EQ(::stat(QFile::encodeName(lock).constData(), &made), 0);
  EXPECT_EQ(made.st_mode & 0777, 0644u);
  ASSERT_TRUE(MakeOld(lock, 60));  // past the stale age

  Child other;
  {
    AsAnotherUser another;
    other = StartInChild([&] {
      SettingsStore store(path_);
      return store.WriteString("Other", "v", "2") ? QByteArray("written")
                                                  : store.LastError().toUtf8();
    });
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  EXPECT_TRUE(other.process.Running()) << "the live holder's lock was taken for stale";
  signal = 'g';
  EXPECT_EQ(::write(go[1], &signal, 1), 1);
  ::close(go[1]);
  EXPECT_EQ(Finish(holder, std::chrono::seconds(10)), QByteArray("written"));
  EXPECT_EQ(Finish(other, std::chrono::seconds(15)), QByteArray("written"));
  const SettingsStore store(path_);
  EXPECT_EQ(store.ReadString("Holder", "v"), "1");
  EXPECT_EQ(store.ReadString("Other", "v"), "2") << ReadBytes(path_).toStdString();
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// A copy that opened a lock just made, to judge it, and holds its flock (stopped there, or
// slow) keeps the maker waiting no longer than the bound: the maker is refused as busy and
// takes its lock file away again.
TEST_F(SettingsStoreTest, AMakerKeptFromItsNewLocksFlockIsRefusedWithinTheBound) {
  const QByteArray lock = QFile::encodeName(path_ + ".lock");
  const std::optional<QByteArray> seen = RunInChild(
      [&]() -> QByteArray {
        auto taken = std::make_shared<std::atomic<bool>>(false);
        // At the maker's first flock, another copy takes the new file's flock first, for 15 s.
        if (!HoldAtCalls({__NR_flock}, [taken, lock](int) {
              if (taken->exchange(true)) return;
              const int fd = ::open(lock.constData(), O_RDONLY | O_CLOEXEC);
              ::flock(fd, LOCK_EX);
              std::thread([fd] {
                std::this_thread::sleep_for(std::chrono::seconds(15));
                ::close(fd);
              }).detach();
            }))
          return "skip: no watch of system calls: " + QByteArray(std::strerror(errno));
        return TimedSave(path_);
      },
      std::chrono::seconds(40));
  ASSERT_TRUE(seen.has_value()) << "the save did not end";
  if (seen->startsWith("skip:")) GTEST_SKIP() << seen->toStdString();
  const QList<QByteArray> parts = seen->split('\n');
  ASSERT_EQ(parts.size(), 2) << seen->toStdString();
  EXPECT_EQ(QString::fromUtf8(parts[0]),
            "Файл настроек " + path_ + " занят другой копией программы");
  EXPECT_GE(parts[1].toLongLong(), 9500);
  EXPECT_LT(parts[1].toLongLong(), 12000);
  EXPECT_EQ(Entries(), QStringList{});
}

// A copy stopped while it holds the folder's flock keeps a save no longer than its one bound
// in all, its release included: a save that took the lock late in its wait, once a copy on
// another host was done with it, releases within what is left, and, with nothing left, without
// the guard, leaving no lock behind.
TEST_F(SettingsStoreTest, ASaveEndsWithinItsBoundWhileAStoppedCopyHoldsTheFoldersFlock) {
  int held[2];
  ASSERT_EQ(::pipe(held), 0);
  Child stopped = StartInChild([&]() -> QByteArray {
    const int folder = ::open(QFile::encodeName(dir_.path()).constData(), O_RDONLY | O_DIRECTORY);
    const char signal = ::flock(folder, LOCK_EX) == 0 ? 'h' : 'f';
    if (::write(held[1], &signal, 1) == 1)
      for (;;) ::pause();
    return {};
  });
  ::close(held[1]);
  pollfd holding{held[0], POLLIN, 0};
  char signal = 0;
  const bool isHeld = ::poll(&holding, 1, 10000) == 1 && ::read(held[0], &signal, 1) == 1;
  ::close(held[0]);
  ASSERT_TRUE(isHeld && signal == 'h') << "the other copy did not take the folder's flock";
  ASSERT_EQ(::kill(stopped.process.Pid(), SIGSTOP), 0);

  const QString lock = path_ + ".lock";
  ASSERT_TRUE(WriteBytes(lock, "12345\njibwarden\nanother-host.example\n"));
  Child saver = StartInChild([&] { return TimedSave(path_); });
  std::this_thread::sleep_for(std::chrono::seconds(4));
  EXPECT_TRUE(saver.process.Running()) << "the lock was taken from the other host's copy";
  ASSERT_TRUE(QFile::remove(lock));  // that copy is done
  const std::optional<QByteArray> seen = Finish(saver, std::chrono::seconds(30));
  ASSERT_TRUE(seen.has_value()) << "the save did not end";
  const QList<QByteArray> parts = seen->split('\n');
  ASSERT_EQ(parts.size(), 2) << seen->toStdString();
  EXPECT_EQ(parts[0], "written");
  EXPECT_LT(parts[1].toLongLong(), 12000);
  EXPECT_EQ(SettingsStore(path_).ReadString("S", "v"), "1");
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// A save killed while it writes leaves its temporary file beside the settings file: a later
// save removes every one of them, and only them: files of other names stay, and so does one
// that a save still holds.
TEST_F(SettingsStoreTest, ASaveRemovesWhatKilledSavesLeft) {
  ASSERT_TRUE(WriteBytes(path_, "[S]\nv=0\n"));
  for (int kill = 1; kill <= 3; ++kill) {
    SCOPED_TRACE(kill);
    int stopped[2];
    ASSERT_EQ(::pipe(stopped), 0);
    // Stopped before it replaces the file, its temporary file written, and killed there.
    Child saver = StartInChild([&]() -> QByteArray {
      if (!HoldAtCalls(RenameCalls(), [&](int) {
            const char signal = 's';
            if (::write(stopped[1], &signal, 1) == 1)
              for (;;) ::pause();
          }))
        return "skip: no watch of system calls: " + QByteArray(std::strerror(errno));
      SettingsStore store(path_);
      return store.WriteString("S", "v", QString::number(kill)) ? "written"
                                                                : store.LastError().toUtf8();
    });
    ::close(stopped[1]);
    pollfd inside{stopped[0], POLLIN, 0};
    char signal = 0;
    const bool isInside = ::poll(&inside, 1, 10000) == 1 && ::read(stopped[0], &signal, 1) == 1;
    ::close(stopped[0]);
    ::kill(saver.process.Pid(), SIGKILL);
    const std::optional<QByteArray> seen = Finish(saver, std::chrono::seconds(5));
    if (!isInside && seen && seen->startsWith("skip:")) GTEST_SKIP() << seen->toStdString();
    ASSERT_TRUE(isInside) << "the save did not reach its replace";
  }
  const QStringList kept = {"other.ini.jwsave-AbC123", "store.ini.backup", "store.ini.jwsave-ab",
                            "store.ini.jwsave-Live01"};
  for (const QString& name : kept) ASSERT_TRUE(WriteBytes(dir_.filePath(name), "[S]\nv=9\n"));
  // A save that took the lock for stale while its holder lived holds its temporary file.
  const int live = ::open(QFile::encodeName(dir_.filePath("store.ini.jwsave-Live01")).constData(),
                          O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(live, LOCK_EX), 0);
  // The settings file, the killed saves' lock and at least one temporary file of theirs.
  EXPECT_GE(Entries().size(), kept.size() + 3) << Entries().join(u' ').toStdString();

  SettingsStore store(path_);
  EXPECT_TRUE(store.WriteString("S", "v", "after")) << store.LastError().toStdString();
  ::close(live);
  QStringList left = Entries(), expected = kept + QStringList{"store.ini"};
  left.sort();
  expected.sort();
  EXPECT_EQ(left.join(u' ').toStdString(), expected.join(u' ').toStdString());
  EXPECT_EQ(SettingsStore(path_).ReadString("S", "v"), "after");
}

// A link at the settings file's name is followed where the user made it (settings kept in
// another folder of theirs) or the folder's owner did, and its target is saved, the link kept.
// One that another user planted in the folder is refused and named: read as nothing, never
// written through, it and its target left as they are. Root makes another user's link and
// folder; without root that case cannot be made and is skipped.
TEST_F(SettingsStoreTest, ALinkAnotherUserPlantedIsRefusedAndTheUsersOwnIsFollowed) {
  const QTemporaryDir elsewhere;
  const QString target = elsewhere.filePath("kept.ini");
  const QByteArray before("[S]\nv=target\n");
  ASSERT_TRUE(WriteBytes(target, before));
  ASSERT_TRUE(QFile::link(target, path_));
  {
    SettingsStore store(path_);
    EXPECT_EQ(store.ReadString("S", "v"), "target");
    EXPECT_TRUE(store.WriteString("S", "v", "saved")) << store.LastError().toStdString();
  }
  EXPECT_EQ(QFileInfo(path_).symLinkTarget(), target);
  EXPECT_EQ(ReadBytes(target), "[S]\nv=saved\n");
  if (geteuid() != 0) GTEST_SKIP() << "making another user's link needs root";

  ASSERT_TRUE(WriteBytes(target, before));
  constexpr uid_t kOther = 65534;
  const QByteArray link = QFile::encodeName(path_);
  ASSERT_EQ(::lchown(link.constData(), kOther, kOther), 0);
  {
    SettingsStore store(path_);
    const std::string refused = ("Не удаётся прочитать файл настроек " + path_ +
                                 ": Это символическая ссылка, созданная другим пользователем; он "
                                 "оставлен как есть")
                                    .toStdString();
    EXPECT_EQ(store.ReadString("S", "v", "default"), "default");
    EXPECT_EQ(store.ReadError().toStdString(), refused);
    EXPECT_FALSE(store.WriteString("S", "v", "through"));
    EXPECT_EQ(store.LastError().toStdString(), refused);
    store.BeginUpdate();
    EXPECT_FALSE(store.WriteString("S", "w", "through") || store.EndUpdate());
  }
  EXPECT_EQ(QFileInfo(path_).symLinkTarget(), target);
  EXPECT_EQ(ReadBytes(target), before);
  EXPECT_EQ(Entries(), QStringList{"store.ini"});

  SCOPED_TRACE("the same link in a folder of that user's");
  const QByteArray folder = QFile::encodeName(dir_.path());
  ASSERT_EQ(::chown(folder.constData(), kOther, kOther), 0);
  {
    SettingsStore store(path_);
    EXPECT_EQ(store.ReadString("S", "v"), "target");
    EXPECT_TRUE(store.WriteString("S", "v", "saved")) << store.LastError().toStdString();
  }
  EXPECT_EQ(::chown(folder.constData(), geteuid(), getegid()), 0);
  EXPECT_EQ(QFileInfo(path_).symLinkTarget(), target);
  EXPECT_EQ(ReadBytes(target), "[S]\nv=saved\n");
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
  EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"kept.ini"});
}

// A link at the settings file's name that the user points at another file while a save takes
// the lock: the lock taken lies beside the file the link led to, so the save lets it go and
// starts over under the lock of the file the link leads to now, waiting while another copy
// holds that one, and saves into that file alone.
TEST_F(SettingsStoreTest, ALinkRepointedWhileASaveTakesTheLockIsSavedUnderItsNewFilesLock) {
  const QString first = dir_.filePath("first.ini"), second = dir_.filePath("second.ini");
  ASSERT_TRUE(WriteBytes(first, "[S]\nv=first\n"));
  ASSERT_TRUE(WriteBytes(second, "[S]\nv=second\n"));
  ASSERT_TRUE(QFile::link(first, path_));
  // Another copy holds the second file's lock.
  const QByteArray secondLock = QFile::encodeName(second + ".lock");
  const int holder = ::open(secondLock.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::flock(holder, LOCK_EX), 0);
  const QByteArray holding = QByteArray::number(qint64(::getpid())) + "\njibwarden\n" +
                             QSysInfo::machineHostName().toUtf8() + "\n";
  ASSERT_EQ(::write(holder, holding.constData(), std::size_t(holding.size())), holding.size());

  const QByteArray link = QFile::encodeName(path_), moved = QFile::encodeName(path_ + ".new");
  const QByteArray target = QFile::encodeName(second);
  Child saver = StartInChild([&]() -> QByteArray {
    auto repointed = std::make_shared<std::atomic<bool>>(false);
    // At the first flock of the save, that of the lock just made, the link is pointed elsewhere.
    if (!HoldAtCalls({__NR_flock}, [=](int) {
          if (!repointed->exchange(true) && ::symlink(target.constData(), moved.constData()) == 0)
            ::rename(moved.constData(), link.constData());
        }))
      return "skip: no watch of system calls: " + QByteArray(std::strerror(errno));
    SettingsStore store(path_);
    return store.WriteString("S", "w", "saved") ? "written" : store.LastError().toUtf8();
  });
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const bool waited = saver.process.Running();
  const QByteArray meanwhile = ReadBytes(second);
  ::unlink(secondLock.constData());  // that copy is done
  ::close(holder);
  const std::optional<QByteArray> seen = Finish(saver, std::chrono::seconds(15));
  ASSERT_TRUE(seen.has_value()) << "the save did not end";
  if (seen->startsWith("skip:")) GTEST_SKIP() << seen->toStdString();
  EXPECT_TRUE(waited) << "saved while another copy held the lock of the file it saved";
  EXPECT_EQ(meanwhile.toStdString(), "[S]\nv=second\n");
  EXPECT_EQ(QString::fromUtf8(*seen), "written");
  EXPECT_EQ(QFileInfo(path_).symLinkTarget(), second);
  EXPECT_EQ(ReadBytes(second), "[S]\nv=second\nw=saved\n");
  EXPECT_EQ(ReadBytes(first), "[S]\nv=first\n");
  EXPECT_EQ(Entries().join(u' ').toStdString(), "first.ini second.ini store.ini");
}

// Where flock fails (a network file system without a lock manager), the lock file alone is
// the lock, as QLockFile keeps it: every save goes through and leaves no lock behind.
TEST_F(SettingsStoreTest, SavesGoThroughWhereFilesCannotBeFlocked) {
  const std::optional<QByteArray> seen = RunInChild(
      [&]() -> QByteArray {
        if (!FlockFailsFromHere())
          return "skip: no system call filter: " + QByteArray(std::strerror(errno));
        if (::flock(::open("/dev/null", O_RDONLY), LOCK_EX) == 0 || errno != ENOLCK)
          return "skip: flock still works";
        SettingsStore store(path_);
        for (int i = 0; i < 3; ++i)
          if (!store.WriteString("S", "v", QString::number(i))) return store.LastError().toUtf8();
        return "written";
      },
      std::chrono::seconds(3));
  ASSERT_TRUE(seen.has_value()) << "the saves did not end";
  if (seen->startsWith("skip:")) GTEST_SKIP() << seen->toStdString();
  EXPECT_EQ(QString::fromUtf8(*seen), "written");
  EXPECT_EQ(SettingsStore(path_).ReadString("S", "v"), "2");
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// A save that would make the file larger than a read takes is refused in the read's words,
// the old file whole: the store never writes a file it would then refuse for good.
TEST_F(SettingsStoreTest, ASaveLargerThanAReadTakesIsRefused) {
  SettingsStore store(path_);
  ASSERT_TRUE(store.WriteString("S", "v", "small"));
  const QByteArray before = ReadBytes(path_);
  // Three bytes a character in the file: just over 64 MB.
  const QString large((qsizetype(64) << 20) / 3 + 1, QChar(u'\u20ac'));
  EXPECT_FALSE(store.WriteString("S", "v", large));
  EXPECT_EQ(store.LastError(),
            "Не удаётся сохранить файл настроек " + path_ + ": Файл больше 64 МБ");
  EXPECT_EQ(ReadBytes(path_), before);
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
  EXPECT_EQ(store.ReadString("S", "v"), "small");
}

// The full-disk cause in the user's words, read from a disk that is full: a small memory
// file system of the child's own (a mount namespace; a user namespace too where not root),
// filled up but for the lock's room.
TEST_F(SettingsStoreTest, AFullDiskIsNamedAndTheOldFileStaysWhole) {
  const QString path = dir_.filePath("store.ini");
  const std::optional<QByteArray> seen = RunInChild(
      [&]() -> QByteArray {
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (::unshare(uid == 0 ? CLONE_NEWNS : CLONE_NEWUSER | CLONE_NEWNS) != 0)
          return "skip: no mount namespace: " + QByteArray(std::strerror(errno));
        if (uid != 0) {
          WriteBytes("/proc/self/setgroups", "deny");
          WriteBytes("/proc/self/uid_map",
                     QByteArray::number(uid) + " " + QByteArray::number(uid) + " 1");
          WriteBytes("/proc/self/gid_map",
                     QByteArray::number(gid) + " " + QByteArray::number(gid) + " 1");
        }
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("jw-full", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                    "size=64k") != 0)
          return "skip: no tmpfs of its own: " + QByteArray(std::strerror(errno));
        SettingsStore store(path);
        if (!store.WriteString("S", "v", QString(1000, u'o'))) return "first save failed";
        const QByteArray before = ReadBytes(path);
        // Filled, then two pages given back: one for the lock, one of the new file.
        QFile filler(dir_.filePath("filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return "no filler";
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size()) {
        }
        filler.resize(filler.size() - 2 * 4096);
        filler.close();
        const bool written = store.WriteString("S", "v", QString(20000, u'x'));
        return (QStringList{written ? "written" : store.LastError(),
                            ReadBytes(path) == before ? "whole" : "changed",
                            QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden).join(u' ')})
            .join(u'\n')
            .toUtf8();
      },
      std::chrono::seconds(20));
  ASSERT_TRUE(seen.has_value()) << "the child did not end";
  if (seen->startsWith("skip:")) GTEST_SKIP() << seen->toStdString();
  EXPECT_EQ(QString::fromUtf8(*seen), "Не удаётся сохранить файл настроек " + path +
                                          ": Нет места на диске\nwhole\nfiller store.ini");
}

// Two copies of the program saving at once, a window's save at a time, on a memory file
// system: every replace syncs the file to disk, and in memory the test takes seconds.
class SettingsStoreConcurrencyTest : public ::testing::Test {
 protected:
  static constexpr int kSaves = 1000;

  // Runs a saver with each list of arguments until all end, each within `limit`.
  void RunSavers(const QList<QStringList>& savers, std::chrono::milliseconds limit) {
    std::vector<std::unique_ptr<ScopedProcess>> running;
    for (const QStringList& arguments : savers) {
      running.push_back(std::make_unique<ScopedProcess>());
      running.back()->setProcessChannelMode(QProcess::ForwardedErrorChannel);
      running.back()->start(JW_SETTINGS_SAVER, arguments);
    }
    const QDeadlineTimer deadline(limit);
    for (const auto& saver : running) {
      ASSERT_TRUE(saver->waitForFinished(int(deadline.remainingTime())));
      EXPECT_EQ(saver->exitStatus(), QProcess::NormalExit);
      EXPECT_EQ(saver->exitCode(), 0);
    }
  }
  // A saver's arguments: kSaves saves of the section into the file, counting from `first`.
  QStringList Saves(const QString& section, int first) const {
    return {path_, section, QString::number(kSaves), QString::number(first)};
  }
  // Neither a lock nor a temporary file left behind.
  static QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
  QStringList Entries() const { return Entries(memory_.path()); }

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
    RunSavers({Saves(sections[0], 0), Saves(sections[1], 0)}, std::chrono::seconds(60));
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
  RunSavers({Saves("S", 0), Saves("S", 1000000)}, std::chrono::seconds(60));
  const SettingsStore store(path_);
  const QString last = store.ReadString("S", "Save");
  EXPECT_TRUE(last == QString::number(kSaves - 1) || last == QString::number(1000000 + kSaves - 1))
      << last.toStdString();
  EXPECT_EQ(store.ReadString("S", "Twice"), QString::number(2 * last.toInt()));
  EXPECT_EQ(Entries(), QStringList{"store.ini"});
}

// A user's own link at the settings file's name (a file kept with the user's other dotfiles)
// and a copy started with other configuration homes, which names the file itself: two names of
// one file, and the two copies exclude each other. Each batch leaves a value of its own, so
// that a batch the other copy saved over shows; the link stays a link.
TEST_F(SettingsStoreConcurrencyTest, TwoProgramsSavingThroughALinkAndTheFileItselfLoseNoBatch) {
  ASSERT_TRUE(memory_.isValid());
  constexpr int kBatches = 1000;
  const QString dotfiles = memory_.filePath("dotfiles"), config = memory_.filePath("config");
  ASSERT_TRUE(QDir().mkpath(dotfiles) && QDir().mkpath(config));
  const QString file = dotfiles + "/store.ini", link = config + "/store.ini";
  ASSERT_TRUE(WriteBytes(file, "[Ports]\nCOM1=/dev/ttyUSB0\n"));
  ASSERT_EQ(::symlink("../dotfiles/store.ini", QFile::encodeName(link).constData()), 0);
  const QString batches = QString::number(kBatches);
  RunSavers({{"--keep", link, "Linked", batches}, {"--keep", file, "Named", batches}},
            std::chrono::seconds(30));

  const SettingsStore store(file);
  EXPECT_EQ(store.ReadString("Ports", "COM1"), "/dev/ttyUSB0");
  for (const QString section : {"Linked", "Named"}) {
    SCOPED_TRACE(section.toStdString());
    QStringList lost;
    for (int i = 0; i < kBatches; ++i)
      if (store.ReadString(section, QString("Batch%1").arg(i)) != QString::number(i))
        lost += QString::number(i);
    EXPECT_EQ(lost.size(), 0) << "lost batches: " << lost.join(u' ').toStdString();
    EXPECT_EQ(store.ReadString(section, "Save"), QString::number(kBatches - 1));
  }
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(QFileInfo(link).symLinkTarget(), QFileInfo(file).absoluteFilePath());
  EXPECT_EQ(Entries(config).join(u' ').toStdString(), "store.ini");
  EXPECT_EQ(Entries(dotfiles).join(u' ').toStdString(), "store.ini");
}

}  // namespace
