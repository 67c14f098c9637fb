// The ".bbi" type on the desktop: what the start-up writes for the user, the desktop's own tools
// it starts, and what those tools then say about a data file.
#include "main_window_fixture.h"
#include "mainwindow/file_type_registration.h"
#include "mainwindow/program_picture.h"
#include "tests/support/call_hold.h"
#include "tests/support/child_process.h"
#include "tests/support/environment_scope.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

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

void WaitForTools(const DesktopToolRuns& tools) {
  if (!tools.Running()) return;
  QSignalSpy finished(&tools, &DesktopToolRuns::Finished);
  ASSERT_TRUE(finished.wait(30000)) << tools.Started().join(' ').toStdString();
}

// A desktop tool's exit status and all it printed, in the untranslated wording; -1 when it
// did not end.
std::pair<int, QString> RunTool(const QString& program, const QStringList& arguments) {
  ScopedProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  if (!process.waitForFinished(30000)) {
    process.kill();
    process.waitForFinished();
    return {-1, program + " did not end"};
  }
  return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

QString Ask(const QString& program, const QStringList& arguments) {
  const auto [status, output] = RunTool(program, arguments);
  EXPECT_NE(status, -1) << output.toStdString();
  return output;
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

// What a program that keeps its own lines in mimeapps.list saves at its save number `save`:
// one line more each time, and never the entry's default.
QByteArray OtherProgramsList(int save) {
  QByteArray list = "# kept by another program\n[Added Associations]\n";
  for (int line = 0; line <= save; ++line)
    list += "text/x-other-" + QByteArray::number(line) + "=other.desktop;\n";
  return list;
}

// Saves as such programs do: the whole file written under another name, then put in place.
bool SaveAsAnotherProgram(const QString& path, const QByteArray& bytes) {
  const QString temp = path + ".other-program";
  return WriteBytes(temp, bytes) &&
         ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) == 0;
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
  const EnvironmentScope path("PATH", QFile::encodeName(FakeTools()));
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

// The entry becomes the type's default in the user's mimeapps.list, whose other lines stay byte
// for byte and whose line ends the added lines take; a default the user's files already name
// for the type stays as it is.
TEST_F(FileTypeRegistrationTest, UsersOwnDefaultIsKept) {
  const EnvironmentScope path("PATH", QFile::encodeName(temp_.filePath("no-tools")));
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
      {"CRLF line ends", "# mine\r\n[Added Associations]\r\ntext/plain=editor.desktop;\r\n",
       "<missing>",
       "# mine\r\n[Added Associations]\r\ntext/plain=editor.desktop;\r\n\r\n[Default "
       "Applications]\r\napplication/x-taltrex-bbi=jibwarden.desktop\r\n"},
      {"CRLF line ends, other defaults",
       "[Default Applications]\r\ntext/plain=editor.desktop\r\n\r\n[Added Associations]\r\nx/y=z;",
       "<missing>",
       "[Default Applications]\r\napplication/x-taltrex-bbi=jibwarden.desktop\r\ntext/plain="
       "editor.desktop\r\n\r\n[Added Associations]\r\nx/y=z;"},
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
    const EnvironmentScope path("PATH", QFile::encodeName(temp_.filePath("no-tools")));
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
  const EnvironmentScope path("PATH", QFile::encodeName(bin));
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

// Wherever the program lies, whatever its folder's name holds, the desktop's own tools take the
// entry as valid, name it as the type's default, and start that very program with a data file;
// the entry names a main category of the application menus.
TEST_F(FileTypeRegistrationTest, EntryStartsTheProgramWhateverItsFolderHolds) {
  for (const char* tool : {"gio", "update-desktop-database", "desktop-file-validate"}) {
    if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << tool << " not installed";
  }
  const QString dataFile = WriteDataFile(data_, "a b.bbi", Header("Кран"));
  const QString log = temp_.filePath("started.log");
  const struct {
    const char* name;
    QString folder;
  } folders[] = {
      {"percent sign", "percent 100%"},
      {"blanks", " two  blanks "},
      {"Cyrillic", "Программа"},
      {"quotes", "say \"hi\" 'there'"},
      {"backslash before a quote", "a\\\"b"},
      {"newline", "line\nbreak"},
      {"shell characters", "$HOME `id` & ; *"},
      {"lone backslash", "back\\slash"},
      {"tab", "tab\tstop"},
      {"field code", "%f %%u"},
  };
  DesktopToolRuns tools;
  for (const auto& f : folders) {
    SCOPED_TRACE(f.name);
    const QString program = temp_.filePath("programs/" + f.folder + "/jibwarden");
    ASSERT_TRUE(
        MakeExecutable(program, QStringLiteral("#!/bin/sh\nprintf '%s\\n' '%1' \"$1\" > '%2'\n")
                                    .arg(f.name, log)
                                    .toUtf8()));
    QFile::remove(log);
    EXPECT_TRUE(RegisterDesktopFileType(program, "Jibwarden", tools));
    WaitForTools(tools);
    const auto [status, complaints] = RunTool("desktop-file-validate", {Entry()});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(complaints.toStdString(), "");
    EXPECT_EQ(Field(Ask("gio", {"mime", "application/x-taltrex-bbi"}), "Default application for")
                  .toStdString(),
              "jibwarden.desktop");
    const auto [launched, said] = RunTool("gio", {"launch", Entry(), dataFile});
    EXPECT_EQ(launched, 0) << said.toStdString();
    const QByteArray expected = QByteArray(f.name) + '\n' + dataFile.toUtf8() + '\n';
    EXPECT_TRUE(QTest::qWaitFor([&] { return ReadBytes(log) == expected; }, 10000))
        << ReadBytes(log).toStdString();
  }
  const QStringList mainCategories = {
      "AudioVideo", "Audio",  "Video",   "Development", "Education", "Game",   "Graphics",
      "Network",    "Office", "Science", "Settings",    "System",    "Utility"};
  QStringList categories;
  for (const QString& line : QString::fromUtf8(ReadBytes(Entry())).split(u'\n')) {
    if (line.startsWith("Categories=")) categories = line.mid(11).split(u';', Qt::SkipEmptyParts);
  }
  EXPECT_TRUE(std::any_of(categories.begin(), categories.end(), [&](const QString& c) {
    return mainCategories.contains(c);
  })) << categories.join(u';').toStdString();
}

// The type's default is named only for an entry that is there: where the entry cannot be
// written, mimeapps.list is left without it; an entry there already, unchanged, is named
// although another of the files cannot be written.
TEST_F(FileTypeRegistrationTest, TheDefaultNamesOnlyAnEntryThatIsThere) {
  const EnvironmentScope path("PATH", QFile::encodeName(temp_.filePath("no-tools")));
  const QString list = ConfigHome() + "/mimeapps.list";
  // A file where a folder should be: no one, root included, writes into it.
  const auto block = [](const QString& folder) {
    QDir(folder).removeRecursively();
    return WriteFile(folder, "");
  };
  const struct {
    const char* name;
    std::function<bool()> before;
    QByteArray listAfter;
  } cases[] = {
      {"the entry's folder unwritable", [&] { return block(DataHome() + "/applications"); },
       "<missing>"},
      {"the entry there, the package's folder unwritable",
       [&] {
         DesktopToolRuns first;
         return RegisterDesktopFileType(programFile_, "Jibwarden", first) && QFile::remove(list) &&
                block(DataHome() + "/mime/packages");
       },
       "[Default Applications]\napplication/x-taltrex-bbi=jibwarden.desktop\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QDir(DataHome()).removeRecursively();
    QFile::remove(list);
    ASSERT_TRUE(c.before());
    DesktopToolRuns tools;
    EXPECT_FALSE(RegisterDesktopFileType(programFile_, "Jibwarden", tools));
    EXPECT_EQ(ReadBytes(list), c.listAfter);
  }
}

// A relative XDG_DATA_HOME or XDG_CONFIG_HOME is ignored for the default under HOME; where no
// absolute home is known, the start registers nothing, starts no tool and writes no settings.
// Nothing is ever written under the folder the program started in.
TEST_F(FileTypeRegistrationTest, RelativeHomesAreIgnoredAndNothingLandsInTheStartFolder) {
  const EnvironmentScope path("PATH", QFile::encodeName(FakeTools()));
  const QString home = QDir::homePath();
  const QByteArray data = QFile::encodeName(DataHome()), config = QFile::encodeName(ConfigHome());
  const std::optional<QByteArray> unset;
  const struct {
    const char* name;
    std::optional<QByteArray> home, dataHome, configHome;
    QString data, config;  // where the files go; empty for none
  } cases[] = {
      {"relative data home", QFile::encodeName(home), "data", config, home + "/.local/share",
       ConfigHome()},
      {"relative config home", QFile::encodeName(home), data, "./config", DataHome(),
       home + "/.config"},
      {"relative homes, empty HOME", "", "data", "config", "", ""},
      {"no homes, no HOME", unset, unset, unset, "", ""},
      {"relative HOME", "home", unset, unset, "", ""},
  };
  const auto filesUnder = [](const QString& folder) {
    QStringList files;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (const QString& folder : {home + "/.local", home + "/.config", DataHome(), ConfigHome()})
      QDir(folder).removeRecursively();
    const QStringList before = filesUnder(home);
    QTemporaryDir start;
    {
      const CurrentFolderScope folder(start.path());
      const EnvironmentScope homeScope("HOME", c.home), dataScope("XDG_DATA_HOME", c.dataHome),
          configScope("XDG_CONFIG_HOME", c.configHome);
      ScriptedMessageBox boxes;
      TForm_main& w = Start({});
      if (c.data.isEmpty()) {
        EXPECT_TRUE(w.DesktopTools().Started().isEmpty());
        DesktopToolRuns tools;
        EXPECT_FALSE(RegisterDesktopFileType(programFile_, "Jibwarden", tools));
      } else {
        EXPECT_TRUE(QFileInfo::exists(c.data + "/applications/jibwarden.desktop"));
        EXPECT_EQ(w.DesktopTools().Started(),
                  (QStringList{"update-mime-database", "update-desktop-database"}));
      }
      if (!c.config.isEmpty()) {
        EXPECT_TRUE(ReadBytes(c.config + "/mimeapps.list").contains("=jibwarden.desktop"));
        EXPECT_EQ(SettingsStore::RootFilePath(SettingsRoot::Users),
                  c.config + "/jibwarden/users.ini");
        EXPECT_EQ(DirData(), program_);
      }
      WaitForTools(w.DesktopTools());
      window_.reset();
      ExpectBoxes(boxes, {});
    }
    EXPECT_EQ(filesUnder(start.path()), QStringList());
    if (c.data.isEmpty() && c.config.isEmpty()) {
      EXPECT_EQ(filesUnder(home), before);
    }
  }
}

// Another program saving mimeapps.list while the start edits it, just before the edit replaces
// the file, loses nothing: the edit starts over on what that program saved. A program that never
// stops saving leaves the file as it saved it last, without the default. The other program saves
// at the edit's flush to disk, in a child process held there.
TEST_F(FileTypeRegistrationTest, WhatAnotherProgramSavesDuringTheEditIsKept) {
  const EnvironmentScope path("PATH", QFile::encodeName(temp_.filePath("no-tools")));
  DesktopToolRuns tools;
  // The other files are in place and unchanged from here.
  ASSERT_TRUE(RegisterDesktopFileType(programFile_, "Jibwarden", tools));
  const QString list = ConfigHome() + "/mimeapps.list";
  const struct {
    const char* name;
    int saves;  // how often the other program saves, once at each of the edit's flushes
    bool named;
  } cases[] = {
      {"one save", 1, true},
      {"three saves", 3, true},
      {"saving all along", 1000, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteBytes(list, OtherProgramsList(0)));
    Child child = StartInChild([&]() -> QByteArray {
      auto saved = std::make_shared<std::atomic<int>>(0);
      if (!HoldAtCalls({__NR_fsync, __NR_fdatasync}, [saved, &list, &c](int) {
            if (*saved < c.saves && SaveAsAnotherProgram(list, OtherProgramsList(*saved + 1)))
              ++*saved;
          }))
        return "skip: no watch of system calls: " + QByteArray(std::strerror(errno));
      DesktopToolRuns childTools;
      const bool named = RegisterDesktopFileType(programFile_, "Jibwarden", childTools);
      return QByteArray(named ? "named " : "not named ") + QByteArray::number(saved->load());
    });
    const std::optional<QByteArray> result = Finish(child, std::chrono::seconds(20));
    ASSERT_TRUE(result.has_value()) << "the registration did not end";
    if (result->startsWith("skip:")) GTEST_SKIP() << result->toStdString();
    const QList<QByteArray> parts = result->split(' ');
    const int saves = parts.last().toInt();
    EXPECT_EQ(result->startsWith("named "), c.named) << result->toStdString();
    if (c.named) {
      EXPECT_EQ(saves, c.saves);
    }
    EXPECT_EQ(
        ReadBytes(list),
        OtherProgramsList(saves) +
            (c.named ? "\n[Default Applications]\napplication/x-taltrex-bbi=jibwarden.desktop\n"
                     : ""));
  }
}
