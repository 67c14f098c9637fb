#include "platform/settings_store.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

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

// Root reads what it likes; as another user a file of mode 000 cannot be read.
struct AsAnotherUser {
  AsAnotherUser() : changed(geteuid() == 0 && seteuid(65534) == 0) {}
  ~AsAnotherUser() {
    if (changed) (void)seteuid(0);
  }
  const bool changed;
};

TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsNeverReplaced) {
  const QByteArray bytes("[S]\nname=value\n");
  ASSERT_TRUE(WriteBytes(path_, bytes));
  ASSERT_TRUE(QFile::setPermissions(path_, {}));
  // The directory lets anyone replace the file: only the store's refusal keeps it.
  ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7777)));
  QDir().mkpath(dir_.filePath("a-directory.ini"));
  for (const QString& path : {path_, dir_.filePath("a-directory.ini")}) {
    SCOPED_TRACE(path.toStdString());
    AsAnotherUser other;
    SettingsStore store(path);
    EXPECT_EQ(store.ReadString("S", "name", "default"), "default");
    EXPECT_FALSE(store.WriteString("S", "name", "x"));
    EXPECT_TRUE(store.LastError().startsWith("Cannot read settings file"));
    store.BeginUpdate();
    EXPECT_FALSE(store.WriteString("S", "other", "y") || store.EndUpdate());
  }
  EXPECT_EQ(ReadBytes(path_), bytes);
  EXPECT_EQ(Entries(), (QStringList{"a-directory.ini", "store.ini"}));
}

// A batch saves once at its end. A cancelled batch, or a save cut short by the file-size
// limit (one value or a whole batch), leaves the old file.
TEST_F(SettingsStoreTest, AnUpdateReplacesTheFileOnceOrNotAtAll) {
  SettingsStore store(path_);
  ASSERT_TRUE(store.WriteString("S", "name", "old"));
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
        wholeBatch ? store.EndUpdate() : store.WriteString("S", "name", QString(200, u'x'));
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_FALSE(store.LastError().isEmpty());
    EXPECT_EQ(ReadBytes(path_), before);
    EXPECT_EQ(Entries(), QStringList{"store.ini"});
  }

  fill();
  ASSERT_TRUE(store.EndUpdate());
  EXPECT_EQ(SettingsStore(path_).ValueNames("S").size(), 41);
}

}  // namespace
