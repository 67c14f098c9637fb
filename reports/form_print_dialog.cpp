#include "reports/form_print_dialog.h"

#include "platform/grid_cell.h"
#include "platform/grid_model.h"
#include "platform/message_box.h"
#include "reports/report_preview.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kMaxColumns = TForm_PrintTPCR::kMemoCount;

// Cells are drawn as the grid draws them, then handed to the dialog's own drawing.
class DrawCellDelegate : public QStyledItemDelegate {
 public:
  explicit DrawCellDelegate(TForm_PrintDialog* dialog)
      : QStyledItemDelegate(dialog->SG_PrintTab), dialog_(dialog) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    DrawPlainGridCell(painter, option, index);
    // The canvas keeps the colour the cell was filled with, as the grid's drawing leaves it.
    painter->save();
    painter->setBackground(option.palette.brush(
        option.state & QStyle::State_Selected ? QPalette::Highlight : QPalette::Base));
    dialog_->SG_PrintTabDrawCell(*painter, index.column(), index.row(), option.rect);
    painter->restore();
  }

 private:
  TForm_PrintDialog* dialog_;
};

}  // namespace

TForm_PrintDialog::TForm_PrintDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form_PrintDialog"));
  setWindowTitle(QStringLiteral("Печать отчета"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint |
                 Qt::WindowStaysOnTopHint);
  setFixedSize(521, 394);

  SG_PrintTab = new QTableWidget(0, 2, this);
  SG_PrintTab->setObjectName(QStringLiteral("SG_PrintTab"));
  SG_PrintTab->horizontalHeader()->hide();
  SG_PrintTab->verticalHeader()->hide();
  SG_PrintTab->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  SG_PrintTab->verticalHeader()->setDefaultSectionSize(18);
  SG_PrintTab->setColumnWidth(0, 100);
  SG_PrintTab->setColumnWidth(1, 200);
  SG_PrintTab->setSelectionBehavior(QAbstractItemView::SelectRows);
  SG_PrintTab->setSelectionMode(QAbstractItemView::SingleSelection);
  SG_PrintTab->setEditTriggers(QAbstractItemView::NoEditTriggers);
  SG_PrintTab->setItemDelegate(new DrawCellDelegate(this));
  SG_PrintTab->viewport()->installEventFilter(this);
  connect(SG_PrintTab, &QTableWidget::cellDoubleClicked, this, [this] { SG_PrintTabDblClick(); });

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  GroupBox1 = new QGroupBox(QStringLiteral("Режим печати"), Panel1);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  rbAll = new QRadioButton(QStringLiteral("Все"), GroupBox1);
  rbAll->setObjectName(QStringLiteral("rbAll"));
  rbDiap = new QRadioButton(QStringLiteral("Номера"), GroupBox1);
  rbDiap->setObjectName(QStringLiteral("rbDiap"));
  editDiap = new QLineEdit(GroupBox1);
  editDiap->setObjectName(QStringLiteral("editDiap"));
  Label1 = new QLabel(QStringLiteral("Введите номера и/или диапазоны строк,\nразделенные "
                                     "запятыми.\nНапример 1,3,5-12"),
                      GroupBox1);
  Label1->setObjectName(QStringLiteral("Label1"));
  btnPreview = new QPushButton(QStringLiteral("Просмотр/Печать"), Panel1);
  btnPreview->setObjectName(QStringLiteral("btnPreview"));
  btnPreview->setAutoDefault(false);
  connect(rbAll, &QRadioButton::clicked, this, &TForm_PrintDialog::rbAllClick);
  connect(rbDiap, &QRadioButton::clicked, this, &TForm_PrintDialog::rbDiapClick);
  connect(btnPreview, &QPushButton::clicked, this, &TForm_PrintDialog::btnPreviewClick);

  // The list shows both of its columns whole; the panel beside it takes what is left.
  SG_PrintTab->setMinimumWidth(100 + 200 + 2 * SG_PrintTab->frameWidth());
  auto* group = new QVBoxLayout(GroupBox1);
  group->setContentsMargins(4, 4, 4, 4);
  group->addWidget(rbAll);
  group->addWidget(rbDiap);
  group->addWidget(editDiap);
  group->addWidget(Label1);
  auto* panel = new QVBoxLayout(Panel1);
  panel->setContentsMargins(4, 4, 4, 4);
  panel->addWidget(GroupBox1);
  panel->addWidget(btnPreview);
  panel->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(SG_PrintTab, 1);
  layout->addWidget(Panel1);
}

void TForm_PrintDialog::PrepareColumns(const GridModel& titles) {
  SG_PrintTab->setRowCount(titles.ColCount());
  SG_PrintTab->setColumnCount(2);
  SG_PrintTab->setColumnWidth(0, 100);
  SG_PrintTab->setColumnWidth(1, 200);
  for (int i = 0; i < titles.ColCount(); ++i) {
    auto* title = new QTableWidgetItem(titles.Cells(i, 0));
    // The title column is fixed: drawn like a header, only the mark can be current.
    title->setFlags(Qt::ItemIsEnabled);
    title->setBackground(palette().button());
    SG_PrintTab->setItem(i, 0, title);
    SG_PrintTab->setItem(i, 1, new QTableWidgetItem(kNoPrint));
  }
  // Both off: the user must choose a mode before the preview.
  for (QRadioButton* button : {rbAll, rbDiap}) {
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
  }
  editDiap->clear();
  editDiap->setEnabled(false);
  btnPreview->setEnabled(false);
}

void TForm_PrintDialog::MoveRow(int from, int to) {
  const int rows = SG_PrintTab->rowCount();
  if (from == to || from < 0 || to < 0 || from >= rows || to >= rows) return;
  QTableWidgetItem* title = SG_PrintTab->takeItem(from, 0);
  QTableWidgetItem* mark = SG_PrintTab->takeItem(from, 1);
  SG_PrintTab->removeRow(from);
  SG_PrintTab->insertRow(to);
  SG_PrintTab->setItem(to, 0, title);
  SG_PrintTab->setItem(to, 1, mark);
  SG_PrintTab->setCurrentCell(to, 1);
}

bool TForm_PrintDialog::eventFilter(QObject* watched, QEvent* event) {
  // Rows are dragged by their title cell.
  if (watched == SG_PrintTab->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QModelIndex at = SG_PrintTab->indexAt(mouse->position().toPoint());
      dragRow_ = at.isValid() && at.column() == 0 ? at.row() : -1;
      if (at.isValid()) SG_PrintTab->setCurrentCell(at.row(), 1);
    } else if (event->type() == QEvent::MouseButtonRelease && dragRow_ >= 0) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QModelIndex at = SG_PrintTab->indexAt(mouse->position().toPoint());
      if (at.isValid()) MoveRow(dragRow_, at.row());
      dragRow_ = -1;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TForm_PrintDialog::SG_PrintTabDblClick() {
  const int row = SG_PrintTab->currentRow();
  QTableWidgetItem* mark = row >= 0 ? SG_PrintTab->item(row, 1) : nullptr;
  if (!mark) return;
  if (mark->text() == kPrint) {
    mark->setText(kNoPrint);
  } else {
    int marked = 0;
    for (int i = 0; i < SG_PrintTab->rowCount(); ++i) {
      const QTableWidgetItem* item = SG_PrintTab->item(i, 1);
      if (item && item->text() == kPrint) ++marked;
    }
    if (marked >= kMaxColumns) {
      MessageBox::Error(QStringLiteral("Максимальное число столбцов для печати =10"));
      return;
    }
    mark->setText(kPrint);
  }
  SG_PrintTab->viewport()->update();
}

void TForm_PrintDialog::rbAllClick() {
  editDiap->setText(QStringLiteral("1-"));
  editDiap->setEnabled(false);
  btnPreview->setEnabled(true);
}

void TForm_PrintDialog::rbDiapClick() {
  editDiap->setEnabled(true);
  btnPreview->setEnabled(true);
}

void TForm_PrintDialog::btnPreviewClick() {
  // The copying below processes messages; a second click must not fill the memos twice.
  if (filling_) return;
  filling_ = true;
  const auto done = qScopeGuard([this] { filling_ = false; });

  const GridModel* titles = hooks_.columnTitles ? hooks_.columnTitles() : nullptr;
  TForm_PrintTPCR* report = hooks_.report;
  if (!titles || !report) return;
  std::vector<int> columns;
  for (int i = 0; i < SG_PrintTab->rowCount(); ++i) {
    const QTableWidgetItem* mark = SG_PrintTab->item(i, 1);
    const QTableWidgetItem* title = SG_PrintTab->item(i, 0);
    if (!mark || mark->text() != kPrint || !title) continue;
    for (int c = 0; c < titles->ColCount(); ++c) {
      if (titles->Cells(c, 0) == title->text()) {
        columns.push_back(c);
        break;
      }
    }
  }
  if (columns.empty()) {
    MessageBox::Error(QStringLiteral("Выберите столбцы для печати"));
    return;
  }
  if (columns.size() > std::size_t(kMaxColumns)) columns.resize(kMaxColumns);

  const Source source = hooks_.source ? hooks_.source() : Source{};
  if (hooks_.heading) report->Heading.Set(hooks_.heading());
  for (int k = 1; k <= kMaxColumns; ++k) report->QRMemo[std::size_t(k)]->Clear();
  for (std::size_t k = 1; k <= columns.size(); ++k) {
    ReportMemo* memo = report->QRMemo[k];
    const int col = columns[k - 1];
    memo->SetWidth(source.screenWidth ? source.screenWidth(col) : 64);
    if (k >= 2) {
      const ReportMemo* before = report->QRMemo[k - 1];
      memo->SetLeft(before->Geometry().left() + before->Geometry().width());
    }
    if (source.grid) memo->Add(source.grid->Cells(col, 0));
  }
  if (!source.grid || !source.visible) return;

  if (ParsePrintRanges(editDiap->text(), source.grid->RowCount() - 1, Ranges) != kRangesRead) {
    MessageBox::Error(QStringLiteral("Неверная строка для печати"));
    return;
  }
  for (int r = 1; r <= Ranges.PrintRangeCount; ++r) {
    for (qint32 row = Ranges.PrintRangeFrom[std::size_t(r)];
         row <= Ranges.PrintRangeTo[std::size_t(r)]; ++row) {
      for (std::size_t k = 1; k <= columns.size(); ++k)
        report->QRMemo[k]->Add(source.grid->Cells(columns[k - 1], row));
      QApplication::processEvents();
    }
  }
  PreviewReport(*report->QR_TPCR);
}

void TForm_PrintDialog::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  FormKeyDown(key);
  if (key != 0) QDialog::keyPressEvent(event);
}

void TForm_PrintDialog::FormKeyDown(int& Key) {
  if (Key != Qt::Key_Escape) return;
  Key = 0;
  close();
}

void TForm_PrintDialog::SG_PrintTabDrawCell(QPainter& Canvas, int ACol, int ARow,
                                            const QRect& Rect) {
  const QTableWidgetItem* cell = SG_PrintTab->item(ARow, ACol);
  if (ACol != 1 || !cell || cell->text() != kPrint) return;
  Canvas.save();
  QFont bold = SG_PrintTab->font();
  bold.setBold(true);
  bold.setPointSize(9);
  Canvas.setFont(bold);
  // Opaque, in the cell's colour, so the wider bold text hides the plain one beneath it.
  Canvas.setBackgroundMode(Qt::OpaqueMode);
  Canvas.drawText(Rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, cell->text());
  Canvas.restore();
}
