#pragma once
// A main window on a private data directory, with scripted message boxes and dialogs.

#include "data_file_builder.h"
#include "mainwindow/form_main.h"
#include "platform/scripted_services.h"
#include "platform/settings_store.h"
#include "tests/support/test_files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <memory>

namespace jwtest {

// A data-file header whose texts carry the given tag.
inline QStringList Header(const QString& craneType, const QString& tag = QStringLiteral("x")) {
  const QStringList header = {"Taltrex",    craneType,     "num-" + tag, "2",         "10",
                              "dev-" + tag, "date-" + tag, "op-" + tag,  "com-" + tag};
  return header;
}

// The boxes shown since box number `from`.
inline void ExpectBoxes(const ScriptedMessageBox& boxes, const QList<MessageBoxRequest>& expected,
                        qsizetype from = 0) {
  auto texts = [](const QList<MessageBoxRequest>& list) {
    std::vector<std::string> lines;
    for (const MessageBoxRequest& b : list)
      lines.push_back(QString("%1|%2|%3|%4")
                          .arg(b.text, b.caption)
                          .arg(int(b.buttons))
                          .arg(int(b.icon))
                          .toStdString());
    return lines;
  };
  EXPECT_EQ(texts(boxes.Boxes().mid(from)), texts(expected));
}

inline void SetDirData(const QString& dir) {
  SettingsStore(SettingsRoot::Users).WriteString("\\.DEFAULT\\SOFTWARE\\TALTREX\\", "DirData", dir);
}

inline QString DirData() {
  return SettingsStore(SettingsRoot::Users)
      .ReadString("\\.DEFAULT\\SOFTWARE\\TALTREX\\", "DirData");
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp_.isValid());
    data_ = temp_.filePath("data");
    program_ = temp_.filePath("program");
    other_ = temp_.filePath("other");
    for (const QString& d : {data_, program_, other_}) ASSERT_TRUE(QDir().mkpath(d));
    programFile_ = QDir(program_).filePath("jibwarden");
  }

  // The window goes before the windows a test gives it.
  void TearDown() override { window_.reset(); }

  // The start-up work runs on show.
  TForm_main& Start(const QStringList& arguments) {
    window_ = std::make_unique<TForm_main>(arguments, programFile_);
    window_->show();
    return *window_;
  }
  TForm_main& StartOnData() {
    const QStringList names = QDir(data_).entryList({"*.bbi"}, QDir::Files);
    if (names.isEmpty()) {
      SetDirData(data_);
      return Start({});
    }
    return Start({QDir(data_).filePath(names.first())});
  }

  // Started on the data directory holding this data file, its row selected.
  TForm_main& StartOnFile(const FileSpec& spec, const QString& name = "a.bbi") {
    WriteDataFile(data_, name, FileLines(spec));
    TForm_main& w = StartOnData();
    w.SelectRow(int(FileNames().indexOf(name)));
    return w;
  }

  QTreeWidget* List() { return window_->findChild<QTreeWidget*>("ListView1"); }
  QAction* Action(const char* name) { return window_->findChild<QAction*>(name); }

  QStringList FileNames() {
    QStringList names;
    for (int i = 0; i < List()->topLevelItemCount(); ++i) names << List()->topLevelItem(i)->text(7);
    return names;
  }
  QString SelectedName() {
    const auto selected = List()->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text(7);
  }

  QTemporaryDir temp_;
  QString data_, program_, other_, programFile_;
  std::unique_ptr<TForm_main> window_;
};

}  // namespace jwtest
