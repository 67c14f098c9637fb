// The data pages of the main window: reading a file into them, their cells and colours,
// view switching and command states.
#include "controls/speed_bar.h"
#include "data_file_builder.h"
#include "main_window_fixture.h"
#include "mainwindow/record_tables.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/grid_model.h"

#include <QGraphicsSimpleTextItem>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <functional>
#include <stdexcept>

using namespace jwtest;

namespace {

const MessageBoxRequest kReadError{"Ошибка чтения файла", "Ошибка", MsgButtons::Ok, MsgIcon::Error};
const MessageBoxRequest kBox2{"", "2", MsgButtons::Ok, MsgIcon::None};
const MessageBoxRequest kFailedHere{"", "Ошибка произошла здесь", MsgButtons::Ok, MsgIcon::None};
const MessageBoxRequest kChooseFile{"Выберите файл", "Ошибка", MsgButtons::Ok, MsgIcon::Error};
const QColor kRed(0xFF, 0, 0);
const QColor kYellow(0xFF, 0xFF, 0);

// Counts how often a widget is shown: the reading panel once per read.
class ShowCounter : public QObject {
 public:
  explicit ShowCounter(QWidget* widget) { widget->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++count;
    return false;
  }
};

class ThrowingMessageBox final : public MessageBoxService {
 public:
  ThrowingMessageBox() : scope_(*this) {}
  MsgResult Show(const MessageBoxRequest&) override { throw std::runtime_error("box failed"); }

 private:
  ScopedService<MessageBoxService> scope_;
};

double Luminance(const QColor& c) {
  return 0.2126 * c.redF() + 0.7152 * c.greenF() + 0.0722 * c.blueF();
}

class DataPagesTest : public MainWindowTest {
 protected:
  void Put(const QString& name, const FileSpec& spec) {
    ASSERT_FALSE(WriteDataFile(data_, name, FileLines(spec)).isEmpty());
  }
  // Starts on the data directory with the named file selected.
  TForm_main& OpenOn(const QString& name) {
    TForm_main& w = StartOnData();
    Select(name);
    reads_ = std::make_unique<ShowCounter>(Widget<QWidget>("Panel_Read"));
    return w;
  }
  void Select(const QString& name) { window_->SelectRow(int(FileNames().indexOf(name))); }
  int Reads() const { return reads_->count; }

  template <class T>
  T* Widget(const char* name) {
    T* widget = window_->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  StringGrid* Grid(const char* name) { return Widget<StringGrid>(name); }
  GridModel& Cells(const char* name) { return Grid(name)->Grid(); }
  ChartSeries* GraphSeries(const QString& name) {
    auto* chart = Widget<ChartView>("Chart_Data");
    for (int i = 0; i < chart->SeriesCount(); ++i)
      if (chart->Series(i)->Name() == name) return chart->Series(i);
    return nullptr;
  }
  QString Text(const char* label) { return Widget<QLabel>(label)->text(); }
  int Page() { return window_->PageControl1->currentIndex(); }

  // The background of a cell as painted, sampled right of its text.
  QColor CellColour(const char* name, int col, int row) {
    StringGrid* grid = Grid(name);
    const QImage image = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(grid->Grid().IndexOf(col, row));
    return image.pixelColor(cell.right() - 3, cell.bottom() - 2);
  }
  QColor Normal(const char* name) { return SystemColoursFrom(Grid(name)->palette()).window; }
  QColor Caption(const char* name) {
    return SystemColoursFrom(Grid(name)->palette()).activeCaption;
  }
  void ClickCell(const char* name, int col, int row) {
    StringGrid* grid = Grid(name);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->Grid().IndexOf(col, row)).center());
  }
  void HoverOver(QWidget* area, QPoint at = QPoint(1, 1)) {
    QMouseEvent move(QEvent::MouseMove, at, area->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(area, &move);
  }

  // The pointer of the platform moved to `at` in `area`: the window hands the motion to the
  // widget under it, with the enter and leave events (and their status tips) on the way.
  void PointerTo(QWidget* area, QPoint at) {
    QTest::mouseMove(area->window()->windowHandle(), area->mapTo(area->window(), at));
  }
  // What the status line shows: a message the status bar was given hides its panels.
  QString StatusLine() {
    const QString message = window_->StatusBar1->currentMessage();
    return message.isEmpty() ? window_->StatusPanel0() : message;
  }

  std::unique_ptr<ShowCounter> reads_;
};

}  // namespace

// The grids and graphs come from the reader, read once; each grid paints its own
// remembered row over the alarm colours, unless conditions are set.
TEST_F(DataPagesTest, TablePageReadsOnceAndRemembersRows) {
  Type2Record past;
  past.a = "0090.01";
  Type2Record zero;
  zero.stamp = "00.00.00 00:00:00";
  FileSpec spec;
  spec.overload = {Type2Record{}.Line(), past.Line(), Type2Record{}.Line()};
  spec.operational = spec.overload;
  spec.operational.insert(2, zero.Line());
  Put("a.bbi", spec);
  TForm_main& w = OpenOn("a.bbi");
  ScriptedMessageBox boxes;
  w.SpeedItem_TableClick();
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_EQ(Page(), 1);
  EXPECT_FALSE(Widget<QWidget>("Panel_Read")->isVisible());
  EXPECT_EQ(Cells("SG_TPCR").RowCount(), 4);
  EXPECT_EQ(Cells("SG_TPCR").Cells(2, 1), "45.5");
  EXPECT_EQ(Cells("SG_TP").RowCount(), 4);
  EXPECT_EQ(GraphSeries("Series_G1")->Count(), 3);

  EXPECT_EQ(CellColour("SG_TPCR", 2, 2), kRed);
  ClickCell("SG_TPCR", 5, 2);
  EXPECT_EQ(w.CurrentRowTPCR, 2);
  EXPECT_EQ(CellColour("SG_TPCR", 2, 2), Caption("SG_TPCR"));
  EXPECT_EQ(CellColour("SG_TPCR", 2, 1), Normal("SG_TPCR"));
  w.SpeedItem_SpisokClick();
  w.SpeedItem_TableClick();
  EXPECT_EQ(Reads(), 2);
  EXPECT_EQ(CellColour("SG_TPCR", 3, 2), Caption("SG_TPCR"));
  w.ConditionFilterOn = 1;
  EXPECT_EQ(CellColour("SG_TPCR", 3, 2), Normal("SG_TPCR"));
  w.ConditionFilterOn = 0;
  w.SpeedItem_TableTPClick();
  ClickCell("SG_TP", 3, 1);
  EXPECT_EQ(w.CurrentRowTP, 1);
  EXPECT_EQ(w.CurrentRowTPCR, 2);
  EXPECT_EQ(CellColour("SG_TP", 3, 1), Caption("SG_TP"));
}

// Each long-term value in its label; every band's count stays readable whatever the length of
// its bar: the mark lies within the plot, over a background far from its own colour.
TEST_F(DataPagesTest, LongTermPageShowsTheValuesAndReadableBandMarks) {
  FileSpec spec;
  spec.spectrum = "Ci   : 00012000;00003400;00000560;00000078;00000009;";
  Put("a.bbi", spec);
  TForm_main& w = OpenOn("a.bbi");
  w.SpeedItem_PeregrClick();
  EXPECT_EQ(Page(), 3);
  const std::pair<const char*, const char*> values[] = {
      {"ST_Csum", "1234"}, {"ST_Haract", "89"}, {"ST_ClassIsp", "U3"}, {"ST_Km", "0.25"},
      {"ST_Rezim", "A3"},  {"ST_Mch", "567"},   {"ST_TO", "120"}};
  for (const auto& [label, text] : values) EXPECT_EQ(Text(label), text) << label;

  auto* chart = Widget<ChartView>("Chart1");
  chart->Sync();
  QCoreApplication::processEvents();
  const QImage image = chart->viewport()->grab().toImage();
  QMap<QString, const QGraphicsSimpleTextItem*> marks;
  for (const QGraphicsItem* item : chart->scene()->items())
    if (auto* mark = dynamic_cast<const QGraphicsSimpleTextItem*>(item)) marks[mark->text()] = mark;
  for (const char* count : {"12000", "3400", "560", "78", "9"}) {
    SCOPED_TRACE(count);
    ASSERT_TRUE(marks.contains(count));
    const QRect box = chart->mapFromScene(marks[count]->sceneBoundingRect()).boundingRect();
    EXPECT_TRUE(chart->PlotArea().contains(box));
    // The corner of the text box shows the background behind the mark.
    const double ink = Luminance(marks[count]->brush().color());
    EXPECT_GT(std::abs(Luminance(image.pixelColor(box.topLeft())) - ink), 0.4);
  }
}

// Type 4 paints with its own limits; a failing read shows its boxes in order, empties the
// previous file's grids and shows the records again; after a failed read the pages other than the
// table stay with what it gave; a throwing step leaves the window usable.
TEST_F(DataPagesTest, GoodAndFailingReadsOfEachPage) {
  Type4Record past;
  past.f = "0500.50", past.m = "095";
  FileSpec spec;
  spec.type = "4";
  spec.operational = {Type4Record{}.Line(), past.Line()};
  Put("a.bbi", spec);
  spec.countTPCR = "3";  // one line short
  spec.operational = {Type4Record{}.Line()};
  Put("b.bbi", spec);
  FileSpec noRecords;
  noRecords.type = "5";
  noRecords.stopAfterCounts = true;
  Put("type_5.bbi", noRecords);
  TForm_main& w = OpenOn("a.bbi");
  ScriptedMessageBox boxes;

  w.SpeedItem_TableClick();
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_EQ(Cells("SG_TPCR").Cells(3, 0), "b");
  EXPECT_EQ(CellColour("SG_TPCR", 9, 1), Normal("SG_TPCR"));
  EXPECT_EQ(CellColour("SG_TPCR", 9, 2), kRed);
  EXPECT_EQ(CellColour("SG_TPCR", 14, 2), kYellow);
  Grid("SG_TPCR")->hide();
  Grid("SG_TPCR_Find")->show();

  w.SpeedItem_SpisokClick();
  Select("b.bbi");
  w.SpeedItem_GrafClick();
  ExpectBoxes(boxes, {kFailedHere, kReadError});
  EXPECT_EQ(Cells("SG_TPCR").RowCount(), 2);  // the kept row; the failing one is not counted
  EXPECT_TRUE(Grid("SG_TPCR")->isVisibleTo(w.TabSheet_Table));
  EXPECT_FALSE(Grid("SG_TPCR_Find")->isVisibleTo(w.TabSheet_Table));
  w.SpeedItem_TableClick();
  ExpectBoxes(boxes, {kFailedHere, kReadError, kBox2});
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(w.NeedReload, 1);
  EXPECT_FALSE(w.SpeedItem_Print->isEnabled());

  Select("type_5.bbi");
  w.SpeedItem_PeregrClick();
  ExpectBoxes(boxes, {kReadError}, 3);
  EXPECT_EQ(Page(), 3);
  EXPECT_TRUE(w.PageControl1->isEnabled());
  EXPECT_EQ(Text("ST_Csum"), "1234");
  const int reads = Reads();
  w.SpeedItem_TableTPClick();
  EXPECT_EQ(Reads(), reads);

  // A step that throws leaves the window usable.
  w.SpeedItem_SpisokClick();
  Select("b.bbi");
  {
    ThrowingMessageBox throwing;
    EXPECT_THROW(w.SpeedItem_TableClick(), std::runtime_error);
  }
  EXPECT_FALSE(w.MainWindowDisabled());
  EXPECT_TRUE(w.SpeedBar1->isEnabled());
  EXPECT_FALSE(Widget<QWidget>("Panel_Read")->isVisible());
}

TEST_F(DataPagesTest, EverySampleFileOpensOnEveryPage) {
  const QDir samples(QStringLiteral(JW_SAMPLES_DIR));
  const QStringList names = samples.entryList({"*.bbi"}, QDir::Files);
  ASSERT_FALSE(names.isEmpty());
  for (const QString& name : names)
    ASSERT_TRUE(QFile::copy(samples.filePath(name), QDir(data_).filePath(name)));
  TForm_main& w = OpenOn(names.first());
  ScriptedMessageBox boxes;
  for (const QString& name : names) {
    SCOPED_TRACE(name.toStdString());
    w.SpeedItem_SpisokClick();
    Select(name);
    w.SpeedItem_TableClick();
    EXPECT_EQ(Page(), 1);
    const int kept = w.OpenFile.CountTPCR > 0 ? Cells("SG_TPCR").RowCount() - 1 : 0;
    EXPECT_EQ(GraphSeries("Series_G1")->Count(), kept);
    w.SpeedItem_TableTPClick();
    w.SpeedItem_PeregrClick();
    w.SpeedItem_GrafClick();
    EXPECT_EQ(Page(), 4);
  }
  EXPECT_TRUE(boxes.Boxes().isEmpty());
  EXPECT_EQ(Reads(), names.size());
}

TEST_F(DataPagesTest, CommandStatesOfEachPage) {
  Put("a.bbi", FileSpec{});
  TForm_main& w = OpenOn("a.bbi");
  ScriptedMessageBox boxes;
  const QList<QAction*> fileCommands = {w.SpeedBtn_Read, w.N_popRead,    w.N_SelectDir,
                                        w.N_popAddFile,  w.N_popDelFile, w.N_popSaveAs};
  auto expectPage = [&](int page, QAction* item, bool find, bool decode) {
    SCOPED_TRACE(page);
    EXPECT_EQ(Page(), page);
    EXPECT_TRUE(item->isChecked());
    for (QAction* a : fileCommands)
      EXPECT_EQ(a->isEnabled(), page == 0) << a->objectName().toStdString();
    EXPECT_EQ(w.N_Print->isEnabled(), page != 0);
    EXPECT_EQ(w.SpeedBar_Find->isVisible(), find);
    EXPECT_EQ(w.N_Refresh->isEnabled(), find);
    EXPECT_EQ(w.N_DecodeData->isEnabled(), decode);
  };
  expectPage(0, w.SpeedItem_Spisok, false, false);
  // The view commands through their function keys.
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  QTest::keyClick(&w, Qt::Key_F3);
  expectPage(1, w.SpeedItem_Table, true, true);
  QTest::keyClick(&w, Qt::Key_F4);
  QFocusEvent in(QEvent::FocusIn);
  QApplication::sendEvent(w.ListView1, &in);  // the list leaves a data page's commands alone
  expectPage(2, w.SpeedItem_TableTP, false, true);
  QTest::keyClick(&w, Qt::Key_F5);
  expectPage(3, w.SpeedItem_Peregr, false, false);
  QTest::keyClick(&w, Qt::Key_F6);
  expectPage(4, w.SpeedItem_Graf, false, false);
  QTest::keyClick(&w, Qt::Key_F2);
  expectPage(0, w.SpeedItem_Spisok, false, false);
  EXPECT_EQ(w.NeedReload, 1);
  EXPECT_EQ(Reads(), 1);
  EXPECT_TRUE(boxes.Boxes().isEmpty());
}

// The status line names what the mouse is over: each tool item (two of them only in their
// tool tips), nothing beside the controls, a record grid's column, the list with or without rows.
TEST_F(DataPagesTest, StatusHintsOfTheNamedAreas) {
  ScriptedMessageBox boxes;
  Put("a.bbi", FileSpec{});
  TForm_main& w = OpenOn("a.bbi");
  w.resize(1000, 534);
  w.SpeedItem_TableClick();  // shows SpeedBar_Find
  // An empty hint: a tool tip only, the panel keeps its text.
  const std::pair<QAction*, QString> hints[] = {
      {w.SpeedBtn_Read, "Считать..."},
      {w.SpeedItem_SelectDir, "Выбрать каталог..."},
      {w.SpeedItem_AddFile, "Добавить файл..."},
      {w.SpeedItem_DelFile, "Удалить файл"},
      {w.SpeedItem_Print, "Печать..."},
      {w.SpeedItem_Spisok, "Список файлов"},
      {w.SpeedItem_Table, "Оперативная информация в виде таблицы"},
      {w.SpeedItem_TableTP, "Таблица перегрузок"},
      {w.SpeedItem_Peregr, "Долговременная информация"},
      {w.SpeedItem_Graf, "Оперативная информация в виде графиков"},
      {w.SpeedBtn_WWW, kMakerWebAddress},
      {w.SpeedBtn_Mail, kMakerMailAddress},
      {w.SpeedBtn_Exit, "Выйти из программы"},
      {w.SpeedBtn_About, "О программе"},
      {w.SpeedBtn_Find, "Поиск..."},
      {w.SpeedBtn_Refresh, "Обновить"},
      {w.SpeedItem_SaveAs, ""},
      {w.SpeedItem_DecodeData, ""},
  };
  for (const auto& [item, hint] : hints) {
    SCOPED_TRACE(item->objectName().toStdString());
    w.SetStatusPanel0("x");
    for (TSpeedBar* bar : {w.SpeedBar1, w.SpeedBar3, w.SpeedBar_Find})
      if (TSpeedItem* button = bar->FindItemByName(item->objectName())) HoverOver(button->Button());
    if (item == w.SpeedBtn_WWW || item == w.SpeedBtn_Mail)
      EXPECT_TRUE(w.StatusPanel0().contains(hint));
    else
      EXPECT_EQ(w.StatusPanel0(), hint.isEmpty() ? "x" : hint);
  }
  // Shown only as tool tips: the tool items' own buttons carry them.
  for (const auto& [item, tip] : {std::pair{w.SpeedItem_SaveAs, "Сохранить как..."},
                                  std::pair{w.SpeedItem_DecodeData, "Расшифровка данных"}}) {
    TSpeedItem* button = w.SpeedBar1->FindItemByName(item->objectName());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Button()->toolTip(), tip);
  }

  for (QWidget* area : {static_cast<QWidget*>(w.SpeedBar_Find), static_cast<QWidget*>(w.SpeedBar1),
                        static_cast<QWidget*>(w.ST_InfoDir), w.Panel1,
                        static_cast<QWidget*>(w.PageControl1->tabBar())}) {
    w.SetStatusPanel0("x");
    HoverOver(area, QPoint(area->width() / 2, area->height() - 1));  // beside the children
    EXPECT_EQ(w.StatusPanel0(), "") << area->objectName().toStdString();
  }
  // The column descriptions over the record grids, and nothing right of the last column.
  StringGrid* grid = Grid("SG_TPCR");
  HoverOver(grid->viewport(), QPoint(grid->columnViewportPosition(4) + 3, 5));
  EXPECT_EQ(w.StatusPanel0(), "Угол азимута, град.");
  HoverOver(grid->viewport(), QPoint(grid->viewport()->width() - 2, 5));
  EXPECT_EQ(w.StatusPanel0(), "");
  // The list, with rows and without.
  w.SpeedItem_SpisokClick();
  HoverOver(w.ListView1->viewport());
  EXPECT_EQ(w.StatusPanel0(), " Дважды щелкните по записи для просмотра");
  ASSERT_TRUE(QFile::remove(QDir(data_).filePath("a.bbi")));
  w.RefreshFileList();
  HoverOver(w.ListView1->viewport());
  EXPECT_EQ(w.StatusPanel0(), " Выберите каталог с данными");
}

// A real pointer resting on each tool item, on the list page and on a data page: the status line
// shows the item's hint, and for the two items whose hint is a tool tip only it keeps what it
// showed before.
TEST_F(DataPagesTest, ToolItemsUnderARealPointerShowOnlyTheirStatusHints) {
  ScriptedMessageBox boxes;
  Put("a.bbi", FileSpec{});
  TForm_main& w = OpenOn("a.bbi");
  w.resize(1000, 534);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  const QString keep;  // a tool tip only: the status line keeps its text
  const struct {
    TSpeedBar* bar;
    const char* name;
    QString status;
  } items[] = {
      {w.SpeedBar1, "SpeedBtn_Read", "Считать..."},
      {w.SpeedBar1, "SpeedItem_SelectDir", "Выбрать каталог..."},
      {w.SpeedBar1, "SpeedItem_SaveAs", keep},
      {w.SpeedBar1, "SpeedItem_AddFile", "Добавить файл..."},
      {w.SpeedBar1, "SpeedItem_DelFile", "Удалить файл"},
      {w.SpeedBar1, "SpeedItem_Print", "Печать..."},
      {w.SpeedBar1, "SpeedItem_Spisok", "Список файлов"},
      {w.SpeedBar1, "SpeedItem_Table", "Оперативная информация в виде таблицы"},
      {w.SpeedBar1, "SpeedItem_TableTP", "Таблица перегрузок"},
      {w.SpeedBar1, "SpeedItem_Peregr", "Долговременная информация"},
      {w.SpeedBar1, "SpeedItem_Graf", "Оперативная информация в виде графиков"},
      {w.SpeedBar1, "SpeedItem_DecodeData", keep},
      {w.SpeedBar_Find, "SpeedBtn_Find", "Поиск..."},
      {w.SpeedBar_Find, "SpeedBtn_Refresh", "Обновить"},
      {w.SpeedBar3, "SpeedBtn_About", "О программе"},
      {w.SpeedBar3, "SpeedBtn_WWW", "Посетить " + kMakerWebAddress},
      {w.SpeedBar3, "SpeedBtn_Mail", "Написать письмо " + kMakerMailAddress},
      {w.SpeedBar3, "SpeedBtn_Exit", "Выйти из программы"},
  };
  for (const bool dataPage : {false, true}) {
    SCOPED_TRACE(dataPage ? "table page" : "list page");
    if (dataPage) w.SpeedItem_TableClick();
    ASSERT_EQ(Page(), dataPage ? 1 : 0);
    // From one button to the next, as a pointer sliding along the bars.
    for (const auto& item : items) {
      SCOPED_TRACE(item.name);
      if (!item.bar->isVisible()) continue;
      TSpeedItem* speedItem = item.bar->FindItemByName(item.name);
      ASSERT_NE(speedItem, nullptr);
      const QString before = StatusLine();
      PointerTo(speedItem->Button(), speedItem->Button()->rect().center());
      EXPECT_EQ(StatusLine().toStdString(),
                (item.status.isEmpty() ? before : item.status).toStdString());
      EXPECT_EQ(w.StatusBar1->currentMessage().toStdString(), "");
    }
  }
  EXPECT_TRUE(boxes.Boxes().isEmpty());
}

// A real pointer moving along the title row and along a record row of each record grid, for
// both device types: the status line describes the column under the pointer, and says nothing
// right of the last column.
TEST_F(DataPagesTest, ColumnDescriptionsAlongTitlesAndRecordsUnderARealPointer) {
  ScriptedMessageBox boxes;
  FileSpec type2, type4;
  type2.operational = {Type2Record().Line(), Type2Record().Line()};
  type2.overload = type2.operational;
  type4.type = "4";
  type4.operational = {Type4Record().Line(), Type4Record().Line()};
  type4.overload = type4.operational;
  Put("a2.bbi", type2);
  Put("a4.bbi", type4);
  TForm_main& w = OpenOn("a2.bbi");
  w.resize(1000, 534);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  for (const char* file : {"a2.bbi", "a4.bbi"}) {
    SCOPED_TRACE(file);
    w.SpeedItem_SpisokClick();
    Select(file);
    w.SpeedItem_TableClick();
    ASSERT_EQ(Page(), 1);
    const ColumnDescriptionList& descriptions = w.OpenFile.ColumnDescriptions;
    EXPECT_EQ(descriptions[14], "Степень загрузки, %");
    // The search results lie over the records in their place; the overload table on its page.
    const std::function<void()> show[] = {
        [&] {},
        [&] {
          w.SG_TPCR->hide();
          w.SG_TPCR_Find->show();
        },
        [&] { w.SpeedItem_TableTPClick(); },
    };
    const char* grids[] = {"SG_TPCR", "SG_TPCR_Find", "SG_TP"};
    for (int g = 0; g < 3; ++g) {
      show[g]();
      StringGrid* grid = Grid(grids[g]);
      ASSERT_TRUE(grid->isVisible()) << grids[g];
      QHeaderView* titles = grid->horizontalHeader();
      const int titleY = titles->height() / 2;
      // The first record, or where it would be when the grid holds none.
      const int recordY = std::max(grid->rowViewportPosition(0), 0) + 5;
      for (const bool titleRow : {true, false}) {
        QWidget* area = titleRow ? titles->viewport() : grid->viewport();
        for (int c = 0; c <= kRecordColumns; ++c) {
          SCOPED_TRACE(QString("%1 %2 column %3")
                           .arg(grids[g], titleRow ? "titles" : "records")
                           .arg(c)
                           .toStdString());
          const int x = c < kRecordColumns
                            ? grid->columnViewportPosition(c) + grid->columnWidth(c) / 2
                            : grid->viewport()->width() - 2;
          PointerTo(area, QPoint(x, titleRow ? titleY : recordY));
          EXPECT_EQ(StatusLine().toStdString(),
                    (c < kRecordColumns ? descriptions[std::size_t(c)] : QString()).toStdString());
        }
      }
    }
  }
  EXPECT_TRUE(boxes.Boxes().isEmpty());
}

// A tab refuses without a file; with one it runs its page's command, reading once until the
// list is shown again, whichever way the pages change.
TEST_F(DataPagesTest, TabsRefuseWithoutAFileAndRunTheirCommand) {
  TForm_main& w = OpenOn("none");
  ScriptedMessageBox boxes;
  QTabBar* tabs = w.PageControl1->tabBar();
  tabs->setCurrentIndex(2);
  EXPECT_EQ(Page(), 0);
  EXPECT_TRUE(boxes.Boxes().isEmpty());

  Put("a.bbi", FileSpec{});
  w.RefreshFileList();
  Select("a.bbi");
  tabs->setCurrentIndex(2);
  EXPECT_TRUE(w.SpeedItem_TableTP->isChecked());
  tabs->setCurrentIndex(4);
  w.SpeedItem_TableClick();
  tabs->setCurrentIndex(3);
  EXPECT_TRUE(w.SpeedItem_Peregr->isChecked());
  EXPECT_EQ(Reads(), 1);
  tabs->setCurrentIndex(0);
  tabs->setCurrentIndex(1);
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(Reads(), 2);
}
