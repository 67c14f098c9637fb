// The ".bbi" type on the desktop: what the start-up writes for the user, the desktop's own tools
// it starts, and what those tools then say about a data file.
#include "main_window_fixture.h"
#include "mainwindow/file_type_registration.h"
#include "mainwindow/program_picture.h"
#include "tests/support/child_process.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <cerrno>
#include <csignal>

using namespace jwtest;

namespace {

QString DataHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}
QString ConfigHome() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  return QDir().mkpath(QFileInfo(path).absolutePath()) && WriteBytes(path, bytes);
}

// PATH for a scope: where the registration looks for the desktop's tools.
class PathScope {
 public:
  explicit PathScope(const QString& path) : old_(qgetenv("PATH")) {
    qputenv("PATH", path.toLocal8Bit());
  }
  ~PathScope() { qputenv("PATH", old_); }
  PathScope(const PathScope&) = delete;
  PathScope& operator=(const PathScope&) = delete;

 private:
  QByteArray old_;
};

void WaitForTools(const DesktopToolRuns& tools) {
  if (!tools.Running()) return;
  QSignalSpy finished(&tools, &DesktopToolRuns::Finished);
  ASSERT_TRUE(finished.wait(30000)) << tools.Started().join(' ').toStdString();
}

// What a desktop tool prints, in the untranslated wording.
QString Ask(const QString& program, const QStringList& arguments) {
  ScopedProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process.start(program, arguments);
  EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The text after "<label>: " on the first line that starts with the label.
QString Field(const QString& output, const QString& label) {
  for (const QString& line : output.split(u'\n')) {
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(label))
      return trimmed.mid(trimmed.lastIndexOf(QStringLiteral(": ")) + 2);
  }
  return QStringLiteral("<none>");
}

// The file an icon name resolves to in the user's part of the hicolor theme: one of the
// directories the theme's index lists, as the desktop looks it up.
QString UserThemeIconFile(const QString& name) {
  const QString index = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                               QStringLiteral("icons/hicolor/index.theme"));
  for (const QString& line : QString::fromUtf8(ReadBytes(index)).split(u'\n')) {
    if (!line.startsWith(QStringLiteral("Directories="))) continue;
    for (const QString& dir : line.mid(line.indexOf(u'=') + 1).split(u',')) {
      for (const char* extension : {".png", ".svg"}) {
        const QString file =
            DataHome() + "/icons/hicolor/" + dir.trimmed() + "/" + name + extension;
        if (QFileInfo(file).isFile()) return file;
      }
    }
  }
  return {};
}

// A program the desktop accepts as an entry's Exec: it must exist and be executable.
bool MakeExecutable(const QString& path, const QByteArray& script) {
  return WriteFile(path, script) &&
         QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class FileTypeRegistrationTest : public MainWindowTest {
 protected:
  // Stand-ins for the desktop's tools: each logs its run and leaves the cache it would build.
  QString FakeTools() {
    const QString bin = temp_.filePath("bin");
    const QString log = temp_.filePath("tools.log");
    for (const auto& [tool, cache] : {std::pair{"update-mime-database", "mime.cache"},
                                      std::pair{"update-desktop-database", "mimeinfo.cache"}}) {
      EXPECT_TRUE(MakeExecutable(
          bin + "/" + tool, QStringLiteral("#!/bin/sh\necho \"%1 $*\" >> '%2'\n: > \"$1/%3\"\n")
                                .arg(tool, log, cache)
                                .toUtf8()));
    }
    return bin;
  }
  // The runs since the last call, in name order: the tools run side by side.
  std::string ToolLog() {
    const QByteArray log = ReadBytes(temp_.filePath("tools.log"));
    QFile::remove(temp_.filePath("tools.log"));
    QStringList runs = log == "<missing>" ? QStringList{}
                                          : QString::fromUtf8(log).split(u'\n', Qt::SkipEmptyParts);
    runs.sort();
    return runs.join(u'\n').toStdString();
  }

  QString Package() const { return DataHome() + "/mime/packages/jibwarden-bbi.xml"; }
  QString Entry() const { return DataHome() + "/applications/jibwarden.desktop"; }
  QStringList WrittenFiles() const {
    QStringList files = {Package(), Entry(), ConfigHome() + "/mimeapps.list"};
    for (int side : kProgramIconSizes)
      files << DataHome() + QStringLiteral("/icons/hicolor/%1x%1/apps/jibwarden.png").arg(side);
    return files;
  }
};

}  // namespace

// After the start, the desktop's tools give a data file the program's type, name the program's
// entry as the type's default although another program opens it too, and find the type's icon
// in the user's icon theme: the program's own picture.
TEST_F(FileTypeRegistrationTest, DesktopKnowsTheTypeItsDefaultAndItsIcon) {
  for (const char* tool : {"gio", "update-mime-database", "update-desktop-database"}) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " not installed";
  }
  if (QStandardPaths::locate(QStandardPaths::GenericDataLocation, "icons/hicolor/index.theme")
          .isEmpty())
    GTEST_SKIP() << "no hicolor icon theme";
  ASSERT_TRUE(MakeExecutable(programFile_, "#!/bin/sh\n"));
  ASSERT_TRUE(WriteFile(DataHome() + "/applications/another.desktop",
                        "[Desktop Entry]\nType=Application\nName=Another\nExec=true %f\n"
                        "MimeType=application/x-taltrex-bbi;\n"));
  WriteDataFile(data_, "a.bbi", Header("Кран"));

  TForm_main& w = Start({QDir(data_).filePath("a.bbi")});
  EXPECT_EQ(w.DesktopTools().Started(),
            (QStringList{"update-mime-database", "update-desktop-database"}));
  WaitForTools(w.DesktopTools());

  const QString info = Ask("gio", {"info", "-a", "standard::content-type,standard::icon",
                                   QDir(data_).filePath("a.bbi")});
  EXPECT_EQ(Field(info, "standard::content-type:").toStdString(), "application/x-taltrex-bbi")
      << info.toStdString();
  EXPECT_EQ(Field(Ask("gio", {"mime", "application/x-taltrex-bbi"}), "Default application for")
                .toStdString(),
            "jibwarden.desktop");

  const QString iconName = Field(info, "standard::icon:").section(QStringLiteral(", "), 0, 0);
  EXPECT_EQ(iconName.toStdString(), "jibwarden");
  const QString iconFile = UserThemeIconFile(iconName);
  ASSERT_FALSE(iconFile.isEmpty()) << iconName.toStdString();
  const QImage icon(iconFile);
  EXPECT_EQ(icon.convertToFormat(QImage::Format_ARGB32),
            ProgramPicture(icon.width()).toImage().convertToFormat(QImage::Format_ARGB32));
  // The entry shows the same icon.
  EXPECT_TRUE(QString::fromUtf8(ReadBytes(Entry())).contains("\nIcon=" + iconName + "\n"));
}

// A cache is rebuilt only when what it is built from was written, or when it is missing or
// older than its source; files whose content is unchanged are not written again.
TEST_F(FileTypeRegistrationTest, ToolsRunOnlyWhenTheirSourcesChanged) {
  const PathScope path(FakeTools());
  const QString mimeRun = "update-mime-database " + DataHome() + "/mime";
  const QString entryRun = "update-desktop-database " + DataHome() + "/applications";
  // Whole seconds: some file systems keep no finer times.
  const QDateTime past = QDateTime::fromSecsSinceEpoch(QDateTime::currentSecsSinceEpoch() - 86400);
  const struct {
    const char* step;
    std::function<void()> before;
    QString program;
    QStringList runs;
    QStringList rewritten;
  } steps[] = {
      {"first start", [] {}, programFile_, {mimeRun, entryRun}, WrittenFiles()},
      {"nothing changed", [] {}, programFile_, {}, {}},
      {"MIME cache missing",
       [] { QFile::remove(DataHome() + "/mime/mime.cache"); },
       programFile_,
       {mimeRun},
       {}},
      {"entry cache older than the entry",
       [&] {
         QFile cache(DataHome() + "/applications/mimeinfo.cache");
         ASSERT_TRUE(cache.open(QIODevice::ReadWrite));
         cache.setFileTime(past.addSecs(-60), QFileDevice::FileModificationTime);
       },
       programFile_,
       {entryRun},
       {}},
      {"program moved", [] {}, other_ + "/jibwarden", {entryRun}, {Entry()}},
      {"package edited",
       [&] { WriteBytes(Package(), "<mime-info/>\n"); },
       other_ + "/jibwarden",
       {mimeRun},
       {Package()}},
  };
  DesktopToolRuns tools;
  for (const auto& s : steps) {
    SCOPED_TRACE(s.step);
    // Files not written keep this time.
    for (const QString& file : WrittenFiles()) {
      QFile f(file);
      if (f.open(QIODevice::ReadWrite)) f.setFileTime(past, QFileDevice::FileModificationTime);
    }
    s.before();
    const qsizetype started = tools.Started().size();
    EXPECT_TRUE(RegisterDesktopFileType(s.program, "Jibwarden", tools));
    EXPECT_EQ(tools.Started().size() - started, s.runs.size());
    WaitForTools(tools);
    QStringList runs = s.runs;
    runs.sort();
    EXPECT_EQ(ToolLog(), runs.join(u'\n').toStdString());
    for (const QString& file : WrittenFiles()) {
      EXPECT_EQ(QFileInfo(file).lastModified() != past, s.rewritten.contains(file))
          << file.toStdString();
    }
  }
}

// The entry becomes the type's default in the user's mimeapps.list, whose other lines stay;
// a default the user's files already name for the type stays as it is.
TEST_F(FileTypeRegistrationTest, UsersOwnDefaultIsKept) {
  const PathScope path(temp_.filePath("no-tools"));
  const QString config = ConfigHome() + "/mimeapps.list";
  const QString legacy = DataHome() + "/applications/mimeapps.list";
  const QByteArray ours = "application/x-taltrex-bbi=jibwarden.desktop\n";
  const struct {
    const char* name;
    QByteArray configBefore, legacyBefore, configAfter;
  } cases[] = {
      {"no file", "<missing>", "<missing>", "[Default Applications]\n" + ours},
      {"other groups", "# mine\n[Added Associations]\ntext/plain=editor.desktop;", "<missing>",
       "# mine\n[Added Associations]\ntext/plain=editor.desktop;\n\n[Default Applications]\n" +
           ours},
      {"other defaults",
       "[Default Applications]\ntext/plain=editor.desktop\n\n[Added Associations]\nx/y=z;\n",
       "<missing>",
       "[Default Applications]\n" + ours +
           "text/plain=editor.desktop\n\n[Added Associations]\nx/y=z;\n"},
      {"another default",
       "# mine\n[Default Applications]\nApplication/X-Taltrex-Bbi = other.desktop\n", "<missing>",
       "# mine\n[Default Applications]\nApplication/X-Taltrex-Bbi = other.desktop\n"},
      {"only associated", "[Added Associations]\napplication/x-taltrex-bbi=other.desktop;\n",
       "<missing>",
       "[Added Associations]\napplication/x-taltrex-bbi=other.desktop;\n\n[Default "
       "Applications]\n" +
           ours},
      {"default in the older place", "<missing>",
       "[Default Applications]\napplication/x-taltrex-bbi=other.desktop\n", "<missing>"},
  };
  DesktopToolRuns tools;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const auto& [file, bytes] :
         {std::pair{config, c.configBefore}, {legacy, c.legacyBefore}}) {
      QFile::remove(file);
      if (bytes != "<missing>") {
        ASSERT_TRUE(WriteFile(file, bytes));
      }
    }
    EXPECT_TRUE(RegisterDesktopFileType(programFile_, "Jibwarden", tools));
    EXPECT_EQ(ReadBytes(config), c.configAfter);
  }
  // Something there that is no file is left alone.
  QFile::remove(config);
  QFile::remove(legacy);
  ASSERT_TRUE(QDir().mkpath(config));
  EXPECT_FALSE(RegisterDesktopFileType(programFile_, "Jibwarden", tools));
  EXPECT_TRUE(QFileInfo(config).isDir());
}

// Without the desktop's tools the program starts as ever; a tool that does not end holds
// nothing up and goes with the window.
TEST_F(FileTypeRegistrationTest, MissingOrHangingToolsDoNotHoldTheStart) {
  WriteDataFile(data_, "a.bbi", Header("Кран"));
  {
    const PathScope path(temp_.filePath("no-tools"));
    TForm_main& w = Start({QDir(data_).filePath("a.bbi")});
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(FileNames(), QStringList{"a.bbi"});
    EXPECT_TRUE(w.DesktopTools().Started().isEmpty());
    EXPECT_FALSE(w.DesktopTools().Running());
    EXPECT_TRUE(QFileInfo::exists(Entry()));
  }
  const QString bin = temp_.filePath("hanging");
  const QString pidFile = temp_.filePath("tool.pid");
  ASSERT_TRUE(
      MakeExecutable(bin + "/update-mime-database",
                     ("#!/bin/sh\necho $$ > '" + pidFile + "'\nexec /bin/sleep 60\n").toUtf8()));
  QFile::remove(DataHome() + "/mime/mime.cache");
  const PathScope path(bin);
  TForm_main& w = Start({QDir(data_).filePath("a.bbi")});
  EXPECT_EQ(FileNames(), QStringList{"a.bbi"});
  EXPECT_EQ(w.DesktopTools().Started(), QStringList{"update-mime-database"});
  EXPECT_TRUE(w.DesktopTools().Running());
  ASSERT_TRUE(QTest::qWaitFor([&] { return ReadBytes(pidFile).endsWith('\n'); }, 30000));
  const pid_t pid = ReadBytes(pidFile).trimmed().toInt();
  ASSERT_GT(pid, 0);
  window_.reset();
  EXPECT_EQ(::kill(pid, 0), -1);
  EXPECT_EQ(errno, ESRCH);
}
