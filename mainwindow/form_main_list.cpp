// The archive list of the data directory and the file commands on it.
#include "acquisition/form_palm.h"
#include "acquisition/form_read.h"
#include "controls/browse_directory.h"
#include "mainwindow/archive_list.h"
#include "mainwindow/file_copy.h"
#include "mainwindow/file_type_registration.h"
#include "mainwindow/form_main.h"
#include "mainwindow/form_main_parts.h"
#include "platform/dialog_services.h"
#include "platform/message_box.h"
#include "platform/settings_store.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTreeWidget>

namespace {

const QString kCaptionWarning = QStringLiteral("Предупреждение");
const QString kChooseFile = QStringLiteral("Выберите файл");

bool AskYes(const QString& text) {
  return MessageBox::Show(text, kCaptionConfirm, MsgButtons::YesNo, MsgIcon::Question) ==
         MsgResult::Yes;
}

// A list row that sorts through the window's ListView1Compare.
class ArchiveItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const auto* form =
        treeWidget() ? qobject_cast<const TForm_main*>(treeWidget()->window()) : nullptr;
    return form && form->ListView1Compare(this, &other) < 0;
  }
};

// The name part of a path holds no "." at all.
bool LacksExtension(const QString& path) {
  return !QFileInfo(path).fileName().contains(u'.');
}

}  // namespace

int TForm_main::SelectedRow() const {
  const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
  return selected.isEmpty() ? -1 : ListView1->indexOfTopLevelItem(selected.first());
}

QString TForm_main::SelectedFileName() const {
  const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
  return selected.isEmpty() ? QString() : selected.first()->text(kFileNameColumn);
}

void TForm_main::SelectRow(int row) {
  if (QTreeWidgetItem* item = ListView1->topLevelItem(row)) {
    ListView1->setCurrentItem(item);
    item->setSelected(true);
  }
}

void TForm_main::RefreshFileList() {
  SetFindEnabled(false);
  SetDecodeEnabled(false);
  HideDecodedView();

  SortColumn = 7;
  ST_InfoDir->setText(DataDirectory);
  FileListBox1->clear();
  FileListBox1->addItems(DataFileNames(DataDirectory));
  ListView1->clear();
  for (int i = 0; i < FileListBox1->count(); ++i) {
    const QString name = FileListBox1->item(i)->text();
    if (std::optional<ArchiveRow> row = ReadArchiveRow(DataDirectory, name)) {
      auto* item = new ArchiveItem(ListView1);
      item->setText(0, row->caption);
      for (int s = 0; s < row->subItems.size(); ++s) item->setText(s + 1, row->subItems.at(s));
    }
  }
  UpdateCommandStates();
}

void TForm_main::UpdateCommandStates() {
  FileSelected = SelectedFileName().isEmpty() ? 0 : 1;
  SetPrintEnabled(false);
  const bool on = FileSelected == 1;
  for (QAction* a : {SpeedItem_Table, N_Table, SpeedItem_TableTP, N_TableTP, SpeedItem_Peregr,
                     N_Peregr, SpeedItem_Graf, N_Graf, SpeedItem_DelFile, N_DelFile, N_popDelFile,
                     SpeedItem_SaveAs, N_SaveAs, N_popSaveAs}) {
    a->setEnabled(on);
  }
}

void TForm_main::SetFileCommandsEnabled(bool enabled) {
  for (QAction* a : {SpeedBtn_Read, N_Read, N_popRead, SpeedItem_SelectDir, N_SelectDir,
                     SpeedItem_AddFile, N_AddFile, N_popAddFile}) {
    a->setEnabled(enabled);
  }
}

void TForm_main::ListSteps() {
  if (SelectedRow() >= 0) {
    for (QAction* a :
         {SpeedItem_DelFile, N_DelFile, N_popDelFile, SpeedItem_SaveAs, N_SaveAs, N_popSaveAs}) {
      a->setEnabled(true);
    }
  }
  SetStatusPanel0(QString());
  SpeedItem_Spisok->setChecked(true);
  NeedReload = 1;
  SetFileCommandsEnabled(true);
  SetPrintEnabled(false);
  SetFindEnabled(false);
  SetDecodeEnabled(false);
  HideDecodedView();
  ShowPage(kPageList);
  ListView1->setFocus();
}

bool TForm_main::TakeSelectedFile() {
  const QString name = SelectedFileName();
  if (name.isEmpty()) {
    MessageBox::Error(kChooseFile);
    ListSteps();
    return false;
  }
  CurrentFilePath = QDir(DataDirectory).filePath(name);
  return true;
}

void TForm_main::SpeedItem_SpisokClick() {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  ListSteps();
}

void TForm_main::SpeedBtn_ReadClick() {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  SetStatusPanel0(QString());
  TForm_Read* read = windows_.Form_Read;
  if (!read) return;
  read->ST_Baud->clear();
  read->ST_PR->clear();
  read->ST_Ost->clear();
  read->ProgressBar1->setMaximum(8000);
  read->exec();
}

void TForm_main::SpeedItem_SelectDirClick() {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  QString chosen;
  if (BrowseDirectory(chosen, QStringLiteral("Выберите директорию")) && !chosen.isEmpty()) {
    DataDirectory = chosen;
    SettingsStore(SettingsRoot::Users).WriteString(kDirDataSection, kDirDataName, DataDirectory);
  }
  RefreshFileList();
}

void TForm_main::SpeedItem_AddFileClick() {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  const QString chosen =
      GetOpenFileName({QStringLiteral("Добавить файл в список"),
                       QStringLiteral("*.bbi|*.bbi|*.pdb|*.pdb"), QString(), QString()});
  if (chosen.isEmpty()) return;
  AddSourcePath = chosen;

  if (QFileInfo(AddSourcePath).suffix().toLower() == QStringLiteral("pdb")) {
    TForm_Read* read = windows_.Form_Read;
    TForm_Palm* palm = windows_.Form_Palm;
    if (!palm) return;
    if (read) {
      read->show();
      read->hide();
      auto copyItems = [](QComboBox* from, QComboBox* to) {
        to->clear();
        for (int i = 0; i < from->count(); ++i) to->addItem(from->itemText(i));
      };
      copyItems(read->CB_Operator, palm->CB_Operator);
      copyItems(read->CB_Coment, palm->CB_Coment);
    }
    palm->CB_Operator->setCurrentIndex(0);
    palm->CB_NomUstr->setCurrentIndex(0);
    palm->CB_Coment->setCurrentIndex(0);
    palm->DefaultToday = true;
    palm->exec();
    return;
  }

  AddTargetPath = QDir(DataDirectory).filePath(QFileInfo(AddSourcePath).fileName());
  if (QFileInfo::exists(AddTargetPath) &&
      !AskYes(QStringLiteral("Файл уже существует.\rЗаменить ?"))) {
    RefreshFileList();
    return;
  }
  const bool deleteAfter =
      AskYes(QStringLiteral("Удалить файл после добавления ?\r") + AddSourcePath);
  if (CopyFileReplacing(AddSourcePath, AddTargetPath) != CopyResult::Ok) {
    MessageBox::Error(QStringLiteral("Не могу скопировать файл"));
  } else if (deleteAfter && !QFile::remove(AddSourcePath)) {
    MessageBox::Error(QStringLiteral("Не могу удалить файл файл"));
  }
  RefreshFileList();
}

void TForm_main::SpeedItem_DelFileClick() {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  const int index = SelectedRow();
  if (index < 0) {
    MessageBox::Error(kChooseFile);
    return;
  }
  const QString name = SelectedFileName();
  if (MessageBox::Show(QStringLiteral("Удалить файл ?"), kCaptionWarning, MsgButtons::YesNo,
                       MsgIcon::Warning) != MsgResult::Yes) {
    return;
  }
  if (name.isEmpty() || !QFile::remove(QDir(DataDirectory).filePath(name))) {
    MessageBox::Error(QStringLiteral("Не могу удалить файл"));
    return;
  }
  RefreshFileList();
  ListView1->setFocus();
  const int count = ListView1->topLevelItemCount();
  if (count > 0) SelectRow(std::min(index, count - 1));
}

void TForm_main::SpeedItem_SaveAsClick() {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  SetStatusPanel0(QString());
  // The copy is made from the list page: its view switch stays down.
  if (!TakeSelectedFile()) return;
  QString target =
      GetSaveFileName({QString(), QStringLiteral("*.bbi|*.bbi"), QString(), QString(), false});
  if (target.isEmpty()) return;
  if (LacksExtension(target)) target += QStringLiteral(".bbi");
  if (!QFileInfo::exists(target) || AskYes(QStringLiteral("Заменить файл ?"))) {
    if (CopyFileReplacing(CurrentFilePath, target) != CopyResult::Ok) {
      MessageBox::Error(QStringLiteral("Не могу сохранить файл"));
    }
  }
  RefreshFileList();
}

void TForm_main::ListView1ColumnClick(int column) {
  if (disabled_) return;
  SortColumn = column;
  ListView1->sortItems(column, Qt::AscendingOrder);
}

int TForm_main::ListView1Compare(const QTreeWidgetItem* Item1, const QTreeWidgetItem* Item2) const {
  // Column 0 is the caption, column c the sub-item c - 1; byte values, no locale.
  return CompareListTexts(Item1->text(SortColumn), Item2->text(SortColumn));
}

void TForm_main::ListView1DblClick() {
  if (disabled_) return;
  const QString name = SelectedFileName();
  if (name.isEmpty()) return;
  CurrentFilePath = QDir(DataDirectory).filePath(name);
  SpeedItem_Table->setChecked(true);
  SpeedItem_TableClick();
}

void TForm_main::ListView1KeyDown(int& Key) {
  if (Key != Qt::Key_Return && Key != Qt::Key_Enter) return;
  Key = 0;
  ListView1DblClick();
}
