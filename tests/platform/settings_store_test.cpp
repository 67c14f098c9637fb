#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <functional>

namespace {

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class SettingsStoreTest : public ::testing::Test {
 protected:
  QTemporaryDir dir_;
  QString path_ = dir_.filePath("store.ini");
};

TEST_F(SettingsStoreTest, RootsAreSeparateFilesInTheConfigDirectory) {
  const QString classes = SettingsStore::RootFilePath(SettingsRoot::Classes);
  const QString users = SettingsStore::RootFilePath(SettingsRoot::Users);
  const QString user = SettingsStore::RootFilePath(SettingsRoot::CurrentUser);
  EXPECT_NE(classes, users);
  EXPECT_NE(users, user);
  EXPECT_NE(classes, user);
  EXPECT_TRUE(classes.startsWith(qEnvironmentVariable("XDG_CONFIG_HOME"))) << classes.toStdString();

  SettingsStore store(SettingsRoot::Users);
  ASSERT_TRUE(store.WriteString("\\.DEFAULT\\SOFTWARE\\TALTREX\\", "DirData", "/data"));
  EXPECT_TRUE(QFileInfo::exists(users));
  EXPECT_FALSE(QFileInfo::exists(classes));
  EXPECT_EQ(SettingsStore(SettingsRoot::Users).ReadString(".DEFAULT\\Software\\Taltrex", "dirdata"),
            "/data");
}

TEST_F(SettingsStoreTest, NamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  SettingsStore store(path_);
  ASSERT_TRUE(store.WriteString("Software\\Jibwarden\\TForm_Read", "FormVersion", "1"));
  ASSERT_TRUE(store.WriteString("SOFTWARE\\jibwarden\\tform_read", "FORMVERSION", "2"));
  EXPECT_EQ(store.ReadString("software\\JIBWARDEN\\TForm_Read", "formversion"), "2");
  EXPECT_EQ(store.ValueNames("Software\\Jibwarden\\TForm_Read"), QStringList{"FormVersion"});
  EXPECT_EQ(store.SubKeys("Software"), QStringList{"Jibwarden"});

  // Cyrillic names fold too.
  ASSERT_TRUE(store.WriteString("Ключ", "Имя", "а"));
  EXPECT_EQ(store.ReadString("КЛЮЧ", "ИМЯ"), "а");
}

TEST_F(SettingsStoreTest, EmptyNameIsTheKeysDefaultValue) {
  SettingsStore store(path_);
  EXPECT_EQ(store.ReadString(".bbi", "", "absent"), "absent");
  ASSERT_TRUE(store.WriteString(".bbi", "", "Taltrex.bbi"));
  ASSERT_TRUE(store.WriteString(".bbi", "@", "a value named @"));
  EXPECT_EQ(store.ReadString(".bbi", ""), "Taltrex.bbi");
  EXPECT_EQ(store.ReadString(".bbi", "@"), "a value named @");
  // An empty default value still exists.
  ASSERT_TRUE(store.WriteString("Taltrex.bbi\\Shell\\Open", "", ""));
  EXPECT_TRUE(store.ValueExists("Taltrex.bbi\\Shell\\Open", ""));
  EXPECT_EQ(store.ReadString("Taltrex.bbi\\Shell\\Open", "", "absent"), "");
}

TEST_F(SettingsStoreTest, AwkwardTextsRoundTripThroughTheFile) {
  const QStringList texts = {"a=b",
                             "[x]",
                             "  padded  ",
                             "50%",
                             "%41",
                             "line\r\nbreak",
                             ";not a comment",
                             "#nor this",
                             "tab\tin",
                             "Ёлка \"quoted\"",
                             "'q'",
                             QString::fromUtf8("\u00a0nbsp\u2028"),
                             "\x7f"};
  {
    SettingsStore store(path_);
    for (int i = 0; i < texts.size(); ++i) {
      ASSERT_TRUE(store.WriteString("K\\" + texts[i], texts[i], texts[i]));
      ASSERT_TRUE(store.WriteString("Plain", QString("v%1").arg(i), texts[i]));
    }
  }
  SettingsStore reread(path_);
  for (int i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(texts[i].toStdString());
    EXPECT_EQ(reread.ReadString("K\\" + texts[i], texts[i]), texts[i]);
    EXPECT_EQ(reread.ReadString("Plain", QString("v%1").arg(i)), texts[i]);
  }
  // Key paths are written with their backslashes as they are.
  EXPECT_TRUE(ReadAll(path_).contains("[K\\a=b]"));
}

TEST_F(SettingsStoreTest, SubkeysAndErasingASectionWithThem) {
  SettingsStore store(path_);
  ASSERT_TRUE(store.WriteString("Software\\App\\TForm_Read", "Count", "2"));
  ASSERT_TRUE(store.WriteString("Software\\App\\TForm_Read.CB_Oper_Items", "Item0", "x"));
  ASSERT_TRUE(store.WriteString("Software\\App\\TForm_Read\\Deeper", "v", "1"));
  ASSERT_TRUE(store.WriteString("Software\\App\\TForm_Readout", "v", "kept"));
  ASSERT_TRUE(store.CreateSection("Software\\Other"));

  EXPECT_TRUE(store.SectionExists("Software"));  // exists through its subkeys
  EXPECT_TRUE(store.SectionExists("Software\\Other"));
  EXPECT_FALSE(store.SectionExists("Software\\Missing"));
  EXPECT_EQ(store.SubKeys("Software"), (QStringList{"App", "Other"}));
  EXPECT_EQ(store.SubKeys("software\\app"),
            (QStringList{"TForm_Read", "TForm_Read.CB_Oper_Items", "TForm_Readout"}));

  ASSERT_TRUE(store.EraseSection("SOFTWARE\\APP\\TFORM_READ"));
  EXPECT_FALSE(store.SectionExists("Software\\App\\TForm_Read"));
  EXPECT_FALSE(store.SectionExists("Software\\App\\TForm_Read\\Deeper"));
  EXPECT_EQ(store.ReadString("Software\\App\\TForm_Read.CB_Oper_Items", "Item0"), "x");
  EXPECT_EQ(store.ReadString("Software\\App\\TForm_Readout", "v"), "kept");
  EXPECT_FALSE(store.EraseSection("\\"));
  EXPECT_TRUE(store.SectionExists("Software"));

  ASSERT_TRUE(store.DeleteValue("Software\\App\\TForm_Readout", "V"));
  EXPECT_FALSE(store.ValueExists("Software\\App\\TForm_Readout", "v"));
  EXPECT_TRUE(store.SectionExists("Software\\App\\TForm_Readout"));
  ASSERT_TRUE(store.DeleteValue("Software\\Nowhere", "v"));
  EXPECT_FALSE(store.SectionExists("Software\\Nowhere"));
}

TEST_F(SettingsStoreTest, TwoStoresOnOneFileSeeEachOthersWrites) {
  SettingsStore first(path_);
  SettingsStore second(path_);
  ASSERT_TRUE(first.WriteString("S", "a", "1"));
  ASSERT_TRUE(second.WriteString("S", "b", "2"));
  EXPECT_EQ(first.ReadString("S", "b"), "2");
  EXPECT_EQ(second.ReadString("S", "a"), "1");
}

// True when `lines` holds every one of `expected` in that order.
bool HoldsInOrder(const QList<QByteArray>& lines, const QList<QByteArray>& expected) {
  qsizetype at = 0;
  for (const QByteArray& line : lines)
    if (at < expected.size() && line == expected[at]) ++at;
  return at == expected.size();
}

TEST_F(SettingsStoreTest, LinesTheParserCannotTakeAreKeptByteForByte) {
  const QList<QByteArray> damaged = {
      QByteArray("[S]\nname=value\n\xC8\xE2\xE0\xED=Windows-1251 bytes\n"),
      QByteArray("orphan=before any section\n[S]\nname=value\n"),
      QByteArray("[S]\njust a line without an equals sign\nname=value\n"),
      QByteArray("[S\nlost=under a broken header\n[S]\nname=value\n"),
      QByteArray("[S]\nname=value\nnul=va\0lue\n", 26),
      QByteArray("; note\r\n[ s ]\r\n  NAME = value  \r\n\r\n[Other]\r\nx = 1\r\n"),
  };
  for (const QByteArray& bytes : damaged) {
    SCOPED_TRACE(bytes.toStdString());
    WriteAll(path_, bytes);
    SettingsStore store(path_);
    EXPECT_EQ(store.ReadString("S", "name"), "value");
    EXPECT_FALSE(store.ValueExists("S", "lost"));
    ASSERT_TRUE(store.WriteString("S", "name", "new"));
    ASSERT_TRUE(store.WriteString("S", "added", "1"));
    ASSERT_TRUE(store.WriteString("T", "x", "2"));

    QList<QByteArray> kept = bytes.split('\n');
    kept.removeLast();
    kept.removeIf([](const QByteArray& line) {
      return line.trimmed().startsWith("name") || line.trimmed().startsWith("NAME");
    });
    const QList<QByteArray> now = ReadAll(path_).split('\n');
    EXPECT_TRUE(HoldsInOrder(now, kept)) << ReadAll(path_).toStdString();
    // The changed line, the added one and a blank line, a header and a value; the last "\n".
    EXPECT_EQ(now.size(), kept.size() + 6);
    SettingsStore reread(path_);
    EXPECT_EQ(reread.ReadString("S", "name"), "new");
    EXPECT_EQ(reread.ReadString("S", "added"), "1");
    EXPECT_EQ(reread.ReadString("T", "x"), "2");
  }
}

// Root reads what it likes; as another user a file of mode 000 cannot be read.
class AsAnotherUser {
 public:
  AsAnotherUser() {
    if (geteuid() == 0) changed_ = seteuid(65534) == 0;
  }
  ~AsAnotherUser() {
    if (changed_) (void)seteuid(0);
  }
  AsAnotherUser(const AsAnotherUser&) = delete;
  AsAnotherUser& operator=(const AsAnotherUser&) = delete;

 private:
  bool changed_ = false;
};

TEST_F(SettingsStoreTest, AFileThatCannotBeReadIsNeverReplaced) {
  const QByteArray bytes("[S]\nname=value\n");
  WriteAll(path_, bytes);
  ASSERT_TRUE(QFile::setPermissions(path_, {}));
  // The directory lets anyone replace the file: only the store's refusal keeps it.
  ASSERT_TRUE(QFile::setPermissions(dir_.path(), QFileDevice::Permissions(0x7777)));
  QDir().mkpath(dir_.filePath("a-directory.ini"));
  for (const QString& path : {path_, dir_.filePath("a-directory.ini")}) {
    SCOPED_TRACE(path.toStdString());
    bool single = true, batch = true;
    QString error;
    {
      AsAnotherUser other;
      SettingsStore store(path);
      EXPECT_EQ(store.ReadString("S", "name", "default"), "default");
      single = store.WriteString("S", "name", "x");
      error = store.LastError();
      store.BeginUpdate();
      batch = store.WriteString("S", "other", "y") || store.EndUpdate();
    }
    EXPECT_FALSE(single);
    EXPECT_FALSE(batch);
    EXPECT_TRUE(error.startsWith("Cannot read settings file")) << error.toStdString();
  }
  EXPECT_EQ(ReadAll(path_), bytes);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            (QStringList{"a-directory.ini", "store.ini"}));
}

TEST_F(SettingsStoreTest, AnUpdateReplacesTheFileOnceOrNotAtAll) {
  SettingsStore store(path_);
  ASSERT_TRUE(store.WriteString("S", "kept", "1"));
  const QByteArray before = ReadAll(path_);

  store.BeginUpdate();
  for (int i = 0; i < 40; ++i) ASSERT_TRUE(store.WriteString("S", QString("v%1").arg(i), "x"));
  ASSERT_TRUE(store.EraseSection("Gone"));
  EXPECT_EQ(store.ReadString("S", "v39"), "x");
  EXPECT_EQ(ReadAll(path_), before);
  EXPECT_EQ(SettingsStore(path_).ReadString("S", "v0", "absent"), "absent");
  ASSERT_TRUE(store.EndUpdate());
  EXPECT_EQ(SettingsStore(path_).ValueNames("S").size(), 41);

  const QByteArray after = ReadAll(path_);
  store.BeginUpdate();
  ASSERT_TRUE(store.WriteString("S", "kept", "2"));
  store.CancelUpdate();
  EXPECT_EQ(ReadAll(path_), after);
  EXPECT_EQ(store.ReadString("S", "kept"), "1");
}

TEST_F(SettingsStoreTest, HandWrittenFilesAreRead) {
  WriteAll(path_,
           "\xef\xbb\xbf; comment\r\n[ Software\\\\App\\ ]\r\n  Name = some value \r\n@=def\r\n"
           "\r\n[software\\app]\r\nother=2\r\n");
  SettingsStore store(path_);
  EXPECT_EQ(store.ReadString("Software\\App", "name"), "some value");
  EXPECT_EQ(store.ReadString("Software\\App", ""), "def");
  EXPECT_EQ(store.ReadString("Software\\App", "Other"), "2");
}

// A save cut short by the file-size limit, one value or a whole update, leaves the old file.
TEST_F(SettingsStoreTest, FailedSaveLeavesTheOldFileIntact) {
  SettingsStore store(path_);
  ASSERT_TRUE(store.WriteString("S", "name", "old"));
  const QByteArray before = ReadAll(path_);

  const std::function<bool()> saves[] = {
      [&] { return store.WriteString("S", "name", QString(200, u'x')); },
      [&] {
        store.BeginUpdate();
        for (int i = 0; i < 40; ++i) store.WriteString("S", QString("v%1").arg(i), "value");
        return store.EndUpdate();
      },
  };
  for (const auto& save : saves) {
    // Limit the size of files this process may write, so the new file cannot be written.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = static_cast<rlim_t>(before.size());
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = save();
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(written);
    EXPECT_FALSE(store.LastError().isEmpty());
    EXPECT_EQ(ReadAll(path_), before);
    EXPECT_EQ(store.ReadString("S", "name"), "old");
    EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"store.ini"});
  }
}

}  // namespace
