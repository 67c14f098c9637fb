// Every text that a window or report places in a fixed width fits that width in the fonts the
// program really uses.
#include "acquisition/form_read.h"
#include "app/start_up.h"
#include "mainwindow/string_grid.h"
#include "platform/grid_model.h"
#include "platform/scripted_services.h"
#include "reports/report_engine.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionHeader>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>
#include <map>

namespace {

// The width a header section leaves its title, as the header's style lays it out.
int HeaderTextWidth(const QHeaderView* header, int section) {
  QStyleOptionHeader option;
  option.initFrom(header);
  option.rect = QRect(0, 0, header->sectionSize(section), header->height());
  option.section = section;
  option.text = header->model()->headerData(section, header->orientation()).toString();
  return header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header).width();
}

// The width an item view's column leaves its text: the style's text margin on both sides, and
// the grid line takes the last pixel.
int ItemTextWidth(const QAbstractItemView* view, int width) {
  const int margin = view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
  return width - 1 - 2 * margin;
}

std::string Rect(const QRect& r) {
  return QStringLiteral("(%1, %2) %3 x %4")
      .arg(r.x())
      .arg(r.y())
      .arg(r.width())
      .arg(r.height())
      .toStdString();
}

QString Text(const QWidget* widget) {
  const auto* label = qobject_cast<const QLabel*>(widget);
  return label ? label->text() : QString();
}

int Advance(const QFont& font, const QString& text) {
  return QFontMetrics(font).horizontalAdvance(text);
}

class FitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetUpApplication();
    ASSERT_TRUE(temp_.isValid());
    const QDir samples(QStringLiteral(JW_SAMPLES_DIR));
    for (const QString& name : {kType2, kType4})
      ASSERT_TRUE(QFile::copy(samples.filePath(name), temp_.filePath(name)));
    w_ = CreateApplicationWindows({temp_.filePath(kType2)}, temp_.filePath("jibwarden"));
  }

  // Opens a sample on the table page.
  void Open(const QString& name) {
    TForm_main& main = *w_->Form_main;
    main.SpeedItem_SpisokClick();
    for (int row = 0; row < main.ListView1->topLevelItemCount(); ++row)
      if (main.ListView1->topLevelItem(row)->text(7) == name) main.SelectRow(row);
    main.SpeedItem_TableClick();
  }

  const QString kType2 = QStringLiteral("д14м06г2024ч10м15c42_1187.bbi");
  const QString kType4 = QStringLiteral("д08м07г2024ч16м45c30_931.bbi");
  QTemporaryDir temp_;
  std::unique_ptr<AppWindows> w_;
};

TEST_F(FitTest, RecordGridsListAndReportColumnsHoldTheirWidestTexts) {
  ScriptedMessageBox boxes;
  // The widest text each grid column's format allows: a table holds at most 65 535 records;
  // numbers have at most four whole digits and two decimals; the azimuth has a sign and three
  // digits; codes two digits, the load degree three; one character per signal.
  const QString number = QStringLiteral("0000.00");
  const struct {
    QString file;
    QStringList widest;
  } types[] = {
      {kType2,
       {"65535", "00.00.00 00:00:00", number, number, "-000", number, number, "00", "00", "00",
        number, number, number, number, "000", "00000", "000000", "00000000000000"}},
      {kType4,
       {"65535", "00.00.00 00:00:00", number, number, number, number, "-000", "00", "00", number,
        number, number, number, number, "000", "000000", "00", "00000"}},
  };
  for (const auto& type : types) {
    Open(type.file);
    for (StringGrid* grid : {w_->Form_main->SG_TPCR, w_->Form_main->SG_TP}) {
      const GridModel& cells = grid->Grid();
      ASSERT_EQ(cells.ColCount(), type.widest.size());
      for (int c = 0; c < cells.ColCount(); ++c) {
        const QString where = grid->objectName() + " " + type.file + " column " +
                              QString::number(c) + " " + cells.Cells(c, 0);
        const int width = cells.ColWidth(c);
        // The grid line takes the last pixel of a cell.
        EXPECT_LE(kCellTextMargin + Advance(grid->font(), type.widest[c]), width - 1)
            << where.toStdString();
        EXPECT_LE(Advance(grid->horizontalHeader()->font(), cells.Cells(c, 0)),
                  HeaderTextWidth(grid->horizontalHeader(), c))
            << where.toStdString();
        // A report column is as wide as its grid column and centres the title and the cells.
        const QFont memo = w_->Form_PrintTPCR->QRMemo[1]->Font();
        for (const QString& text : {type.widest[c], cells.Cells(c, 0)})
          EXPECT_LE(DesignTextWidth(memo, text), width) << where.toStdString();
      }
    }
  }

  const QTreeWidget* list = w_->Form_main->ListView1;
  for (int c = 0; c < list->columnCount(); ++c)
    EXPECT_LE(Advance(list->header()->font(), list->headerItem()->text(c)),
              HeaderTextWidth(list->header(), c))
        << list->headerItem()->text(c).toStdString();

  // The print dialog shows both columns of its list, titles and marks whole.
  TForm_PrintDialog& dialog = *w_->Form_PrintDialog;
  dialog.PrepareColumns(w_->Form_main->SG_TPCR->Grid());
  dialog.show();
  const QTableWidget* marks = dialog.SG_PrintTab;
  EXPECT_GE(marks->viewport()->width(), marks->columnWidth(0) + marks->columnWidth(1));
  QFont bold = marks->font();
  bold.setBold(true);
  bold.setPointSize(9);
  EXPECT_LE(2 + Advance(bold, TForm_PrintDialog::kPrint), marks->columnWidth(1) - 1);
  EXPECT_LE(Advance(marks->font(), TForm_PrintDialog::kNoPrint),
            ItemTextWidth(marks, marks->columnWidth(1)));
  for (int row = 0; row < marks->rowCount(); ++row)
    EXPECT_LE(Advance(marks->font(), marks->item(row, 0)->text()),
              ItemTextWidth(marks, marks->columnWidth(0)))
        << marks->item(row, 0)->text().toStdString();
  const QStringList hint = dialog.Label1->text().split(u'\n');
  for (const QString& line : hint)
    EXPECT_LE(Advance(dialog.Label1->font(), line), dialog.Label1->contentsRect().width())
        << line.toStdString();
  dialog.hide();
}

// At the main window's size the five page tabs stand side by side inside the bar, each wider
// than its caption in the tab's own font with room for the whole caption, and the bar needs no
// scroll arrows: on the list page and on the graph page, which a bar too narrow scrolls into
// view.
TEST_F(FitTest, MainWindowShowsItsFivePageTabsWhole) {
  ScriptedMessageBox boxes;
  TForm_main& main = *w_->Form_main;
  main.show();
  QCoreApplication::processEvents();
  // A frame of 2 pixels on each side leaves the outer 696 pixels a client width of 692.
  main.resize(692, main.height());
  QCoreApplication::processEvents();
  ASSERT_LE(main.PageControl1->width(), 692);
  const QTabBar* bar = main.PageControl1->tabBar();
  ASSERT_EQ(bar->count(), 5);
  EXPECT_TRUE(main.PageControl1->rect().contains(bar->geometry())) << Rect(bar->geometry());
  for (const int page : {0, 4}) {
    SCOPED_TRACE(page);
    main.PageControl1->setCurrentIndex(page);
    QCoreApplication::processEvents();
    ASSERT_EQ(main.PageControl1->currentIndex(), page);
    int right = -1;
    for (int i = 0; i < bar->count(); ++i) {
      const QString caption = bar->tabText(i);
      const QRect tab = bar->tabRect(i);
      QStyleOptionTab option;
      option.initFrom(bar);
      option.shape = bar->shape();
      option.rect = tab;
      option.text = caption;
      const QRect text = bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, bar);
      EXPECT_TRUE(bar->rect().contains(tab)) << caption.toStdString() << " " << Rect(tab);
      EXPECT_GT(tab.width(), Advance(bar->font(), caption)) << caption.toStdString();
      EXPECT_LE(Advance(bar->font(), caption), text.width()) << caption.toStdString();
      EXPECT_GT(tab.left(), right) << caption.toStdString();
      right = tab.right();
    }
    for (const QToolButton* arrow : bar->findChildren<QToolButton*>())
      EXPECT_FALSE(arrow->isVisible()) << arrow->objectName().toStdString();
  }
  main.PageControl1->setCurrentIndex(0);
}

TEST_F(FitTest, LabelsBesideFieldsAndLongTermCaptionsBesideValuesAreWhole) {
  for (QDialog* window :
       std::initializer_list<QDialog*>{w_->Form_Read.get(), w_->Form_Palm.get()}) {
    window->show();
    for (const QLabel* label : window->findChildren<QLabel*>()) {
      if (!label->text().startsWith(u' ')) continue;  // the captions of the fields
      EXPECT_LE(Advance(label->font(), label->text()), label->contentsRect().width())
          << window->objectName().toStdString() << " '" << label->text().toStdString() << "'";
    }
    window->hide();
  }

  // On the long-term report each caption ends before its value begins, and the widest value
  // ends within the band.
  const TForm_PrintParam& report = *w_->Form_PrintParam;
  const ReportLabel* values[] = {report.QL_ST_Csum, report.QL_ST_Haract, report.QL_ST_ClassIsp,
                                 report.QL_ST_Km,   report.QL_ST_Rezim,  report.QL_ST_Mch,
                                 report.QL_ST_TO};
  for (const ReportLabel* value : values) {
    const ReportLabel* caption = nullptr;
    for (const ReportItem* item : report.QR_Param->Band(BandKind::Detail)->Items()) {
      const auto* label = qobject_cast<const ReportLabel*>(item);
      if (label && label != value && label->Geometry().top() == value->Geometry().top())
        caption = label;
    }
    ASSERT_NE(caption, nullptr) << value->objectName().toStdString();
    EXPECT_LT(caption->Geometry().left() + DesignTextWidth(caption->Font(), caption->Caption()),
              value->Geometry().left())
        << caption->Caption().toStdString();
    EXPECT_LE(value->Geometry().left() + DesignTextWidth(value->Font(), "неопределен"), 681);
  }
}

// A readout writes its texts into a window laid out once: no control moves for a text, and the
// longest text of each place shows whole.
TEST_F(FitTest, ReadoutWindowAfterAReadoutKeepsItsPlacesAndShowsItsLongestTexts) {
  TForm_Read& window = *w_->Form_Read;
  window.show();
  QCoreApplication::processEvents();
  std::map<const QWidget*, QRect> empty;
  for (const QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    empty[child] = child->geometry();

  auto label = [&](const char* name) { return window.findChild<QLabel*>(name); };
  // Every status line of the readout and its window.
  const QStringList statuses = {"Поиск устройства ...",
                                "Обнаружено устройство",
                                "Нет связи с устройством",
                                "Чтение типа устройства",
                                "Повтор чтения",
                                "Ошибка чтения типа устройства",
                                "Чтение названия крана",
                                "Ошибка чтения названия устройства",
                                "Чтение номера крана",
                                "Ошибка чтения номера крана",
                                "Чтение максимальных значений",
                                "Ошибка чтения максимальных значений",
                                "Чтение даты",
                                "Ошибка чтения даты",
                                "Чтение характеристик",
                                "Ошибка характеристик",
                                "Чтение данных о таблицах",
                                "Ошибка данных",
                                "Ошибка 0x00:Запись данных",
                                "Чтение данных",
                                "Ошибка 0x01:Чтение данных",
                                "Ошибка 0x02: Чтение данных",
                                "Ошибка 0x03:Чтение данных",
                                "Ошибка 0x04:Чтение данных",
                                " Ошибка. Чтение завершено",
                                " Процесс отменен пользователем",
                                "Чтение данных завершено",
                                "Процесс отменен пользователем",
                                "Подождите. Идет завершение считывания",
                                "Ошибка открытия порта"};
  // Two full tables (65 535 records each) wait at most 2 048 blocks of 10 s and 2 048 of 6 s:
  // under 1000 minutes, three minute digits.
  const std::pair<const char*, QStringList> texts[] = {
      {"ST_StatusRead", statuses},
      {"ST_Baud",
       {"Скорость 9600 бит/с", "Скорость 19200 бит/с", "Скорость 38400 бит/с",
        "Скорость 57600 бит/с", "Скорость 115200 бит/с"}},
      {"ST_PR", {"Прошло: 00:59", "Прошло: 59:59", "Прошло: 546:08", "Прошло: 999:59"}},
      {"ST_Ost", {"Считано : 0", "Считано : 0 %", "Считано : 100 %"}},
      {"ST_NameFile", {"д31м12г2026ч23м59c59_16777215.bbi"}},
  };
  // A finished readout leaves the last text of each place; the status line shows every one.
  for (const auto& [name, values] : texts) {
    ASSERT_NE(label(name), nullptr) << name;
    label(name)->setText(values.last());
  }
  window.ProgressBar1->setValue(window.ProgressBar1->maximum());
  QCoreApplication::processEvents();
  for (const auto& [name, values] : texts) {
    QLabel* shown = label(name);
    for (const QString& text : values) {
      shown->setText(text);
      QCoreApplication::processEvents();
      EXPECT_LE(Advance(shown->font(), text), shown->contentsRect().width())
          << name << " '" << text.toStdString() << "'";
      for (const auto& [child, place] : empty)
        EXPECT_TRUE(child->geometry() == place)
            << child->metaObject()->className() << " " << child->objectName().toStdString() << " '"
            << Text(child).toStdString() << "' moved from " << Rect(place) << " to "
            << Rect(child->geometry()) << " for '" << text.toStdString() << "'";
    }
    shown->setText(values.last());
  }
  // The button's two captions and the captions of the fields.
  for (const QString& caption : {QStringLiteral("Считать"), QStringLiteral("Отмена")}) {
    QStyleOptionButton option;
    option.initFrom(window.Btn_Read);
    option.text = caption;
    const QRect inside =
        window.style()->subElementRect(QStyle::SE_PushButtonContents, &option, window.Btn_Read);
    EXPECT_LE(Advance(window.Btn_Read->font(), caption), inside.width()) << caption.toStdString();
  }
  for (const QLabel* caption : window.findChildren<QLabel*>())
    EXPECT_LE(Advance(caption->font(), caption->text()), caption->contentsRect().width())
        << "'" << caption->text().toStdString() << "'";
  // The port and speed lists show each choice whole.
  for (const QComboBox* combo : {window.CB_ComPort, window.CB_baudrate}) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    const QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, combo);
    for (int i = 0; i < combo->count(); ++i)
      EXPECT_LE(Advance(combo->font(), combo->itemText(i)), field.width())
          << combo->itemText(i).toStdString();
  }
  window.hide();
}

}  // namespace
