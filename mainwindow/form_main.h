#pragma once
// The main window: the archive list of the data directory, the data pages of the selected
// file, and the file commands.

#include "mainwindow/cell_painting.h"
#include "mainwindow/data_file_reader.h"

#include <QMainWindow>
#include <QPointF>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class ChartSeries;
class ChartView;
class DesktopToolRuns;
class StringGrid;
class QAction;
class QActionGroup;
class QDialog;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QProgressBar;
class QStatusBar;
class QTabWidget;
class TSpeedBar;
class QTreeWidgetItem;
class QToolButton;
class QTreeWidget;
class TForm_GrafPoint;
class TForm_NastrGraf;
class TForm_Palm;
class TForm_PrintDialog;
class TForm_PrintGraf;
class TForm_PrintParam;
class TForm_PrintTPCR;
class TForm_Read;
class TForm_Searsh;
class TForm_TableSearsh;
class TFormView2;
class TformView1;

// The maker's addresses, shown by the main window and the About window.
inline const QString kMakerWebAddress = QStringLiteral("http://jibwarden.example.org");
inline const QString kMakerMailAddress = QStringLiteral("jibwarden@example.org");
QString MakerMailLink();  // "MailTo:" + address + "?Subject=Jibwarden"
inline const QString kHelpFileName = QStringLiteral("Jibwarden.chm");
// The program's title on the desktop; the main window's caption begins with it.
inline const QString kApplicationTitle =
    QStringLiteral("Jibwarden - Работа с регистратором параметров");

class TForm_main : public QMainWindow {
  Q_OBJECT
 public:
  // arguments: the command line without the program; programFile: the full path of the
  // program file (registered as the opener of data files, its directory the fallback data
  // directory and the place of the help file).
  TForm_main(QStringList arguments, QString programFile, QWidget* parent = nullptr);
  // With the application's own command line and program file.
  explicit TForm_main(QWidget* parent = nullptr);
  ~TForm_main() override;

  // Windows created after this one at start-up; each may be missing.
  struct Windows {
    TForm_Read* Form_Read = nullptr;
    TForm_Palm* Form_Palm = nullptr;
    QDialog* Form_About = nullptr;
    TformView1* formView1 = nullptr;
    TFormView2* FormView2 = nullptr;
    TForm_NastrGraf* Form_NastrGraf = nullptr;
    TForm_GrafPoint* Form_GrafPoint = nullptr;
  };
  void SetWindows(const Windows& windows);
  // The search window and the per-column conditions, wired to the record grids.
  void SetSearchWindows(TForm_Searsh* searsh, TForm_TableSearsh* tableSearsh);
  // The print dialog and the reports of the print command; each may be missing.
  struct PrintWindows {
    TForm_PrintDialog* Form_PrintDialog = nullptr;
    TForm_PrintTPCR* Form_PrintTPCR = nullptr;
    TForm_PrintParam* Form_PrintParam = nullptr;
    TForm_PrintGraf* Form_PrintGraf = nullptr;
  };
  void SetPrintWindows(const PrintWindows& windows);
  // The desktop's tools the start-up work started; they end on their own or with the window.
  const DesktopToolRuns& DesktopTools() const { return *desktopTools_; }

  // While alive, the main window counts as disabled: its other commands, its close and the
  // user's input to it do nothing. Acquired() is false when the window was already disabled,
  // and the command must not run.
  class CommandScope {
   public:
    explicit CommandScope(TForm_main& window);
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;
    bool Acquired() const { return acquired_; }

   private:
    TForm_main& window_;
    bool acquired_;
  };
  bool MainWindowDisabled() const { return disabled_; }

  // Shared state of the main window.
  QString DataDirectory;
  QString CurrentFilePath;
  int SortColumn = 7;
  quint8 NeedReload = 1;
  quint8 ReadOk = 0;
  quint8 FileSelected = 0;
  QString AddSourcePath;
  QString AddTargetPath;
  QString LastMzSearchText;
  // The open file: heading texts, device type and variant, rated maxima, long-term values,
  // record counts and column descriptions.
  OpenFileData OpenFile;
  // Search conditions are applied: the record grids show no remembered row.
  quint8 ConditionFilterOn = 0;
  // The rows last clicked in SG_TPCR, SG_TP and SG_TPCR_Find; a read keeps them.
  int CurrentRowTPCR = 0;
  int CurrentRowTP = 0;
  int CurrentRowFind = 0;
  // Picked graph points: record numbers in SelectedPoints[1 .. SelectedPointCount], ascending.
  static constexpr int kMaxSelectedPoints = 11;
  std::array<qint32, kMaxSelectedPoints + 1> SelectedPoints{};
  quint8 SelectedPointCount = 0;
  // The record last taken from the cursor and the vertical extent of the pick markers.
  qint32 CurrentPoint = 0;
  double ChartMinY = 0;
  double ChartMaxY = 0;

  // Reads CurrentFilePath into the pages with the reading panel shown; returns ReadOk.
  bool ReadDataFile();
  // Tabs may change only while a file is selected.
  bool PageControl1Changing() const;

  // Rebuilds the list from DataDirectory.
  void RefreshFileList();
  // Enables the commands that need a selected file.
  void UpdateCommandStates();

  // Status panel 0: hints and messages.
  QString StatusPanel0() const;
  void SetStatusPanel0(const QString& text);

  // Index of the selected list row, -1 when none.
  int SelectedRow() const;
  // The file name of the selected row; empty when no row is selected.
  QString SelectedFileName() const;
  void SelectRow(int row);

  // Controls, named as the window describes them.
  QWidget* Panel1;
  TSpeedBar* SpeedBar1;
  TSpeedBar* SpeedBar_Find;
  TSpeedBar* SpeedBar3;
  QTabWidget* PageControl1;
  QWidget* TabSheet_Spisok;
  QWidget* TabSheet_Table;
  QWidget* TabSheet_TableTP;
  QWidget* TabSheet_Param;
  QWidget* TabSheet_Graf;
  QStatusBar* StatusBar1;
  QLabel* ST_InfoDir;
  QTreeWidget* ListView1;
  QToolButton* Btn_Dots;
  QListWidget* FileListBox1;
  QFrame* Panel_Read;
  QLabel* ST_ReadFile;
  QProgressBar* PB_Read;
  QMenu* popupMain;

  // Record grids.
  StringGrid* SG_TPCR;
  StringGrid* SG_TP;
  StringGrid* SG_TPCR_Find;
  // Long-term page.
  ChartView* Chart1;
  ChartSeries* Series1;
  QLabel* ST_Csum;
  QLabel* ST_Haract;
  QLabel* ST_ClassIsp;
  QLabel* ST_Km;
  QLabel* ST_Rezim;
  QLabel* ST_Mch;
  QLabel* ST_TO;
  // Graph page: Series_G1 .. Series_G11, Series_Point, Series_G12, Series_G13.
  ChartView* Chart_Data;
  ChartSeries* Series_Point;
  ChartSeries* Series_G(int k) const { return seriesG_[std::size_t(k - 1)]; }
  QToolButton* Btn_NastrGraf;
  QToolButton* Btn_CopyImage;
  QToolButton* Btn_ShowTablePoint;
  // The graph page's windows: those given at start-up, else the window's own.
  TForm_GrafPoint* Form_GrafPoint();
  TForm_NastrGraf* Form_NastrGraf();

  // The record number under a position in Chart_Data's viewport pixels (below 1: none).
  int RecordUnderCursor(QPointF at);
  void Chart_DataMouseDown(Qt::MouseButton button, QPointF at);
  void Chart_DataDblClick(QPointF at);
  // One record of SG_TPCR into a column of the point table.
  void CopyRecordToPointTable(int record, int col);
  void SortSelectedPoints();
  void RebuildPointTable();

  // Tool items.
  QAction* SpeedBtn_Read;
  QAction* SpeedItem_SelectDir;
  QAction* SpeedItem_SaveAs;
  QAction* SpeedItem_AddFile;
  QAction* SpeedItem_DelFile;
  QAction* SpeedItem_Print;
  QAction* SpeedItem_Spisok;
  QAction* SpeedItem_Table;
  QAction* SpeedItem_TableTP;
  QAction* SpeedItem_Peregr;
  QAction* SpeedItem_Graf;
  QAction* SpeedItem_DecodeData;
  QActionGroup* ViewItems;  // the radio group of the five view items
  QAction* SpeedBtn_Find;
  QAction* SpeedBtn_Refresh;
  QAction* SpeedBtn_About;
  QAction* SpeedBtn_WWW;
  QAction* SpeedBtn_Mail;
  QAction* SpeedBtn_Exit;

  // Main menu items.
  QMenu* N_File;
  QMenu* N_View;
  QMenu* N_Extra;
  QMenu* N_HelpMenu;
  QAction* N_Read;
  QAction* N_SelectDir;
  QAction* N_SaveAs;
  QAction* N_AddFile;
  QAction* N_DelFile;
  QAction* N_Print;
  QAction* N_Exit;
  QAction* N_Spisok;
  QAction* N_Table;
  QAction* N_TableTP;
  QAction* N_Peregr;
  QAction* N_Graf;
  QAction* N_DecodeData;
  QAction* N_Find;
  QAction* N_Refresh;
  QAction* N_Help;
  QAction* N_WWW;
  QAction* N_Mail;
  QAction* N_About;

  // Context menu items of the list.
  QAction* N_popRead;
  QAction* N_popSaveAs;
  QAction* N_popAddFile;
  QAction* N_popDelFile;

 public slots:
  void SpeedBtn_ReadClick();
  void SpeedItem_SelectDirClick();
  void SpeedItem_AddFileClick();
  void SpeedItem_DelFileClick();
  void SpeedItem_SaveAsClick();
  void SpeedItem_SpisokClick();
  void SpeedItem_TableClick();
  void SpeedItem_TableTPClick();
  void SpeedItem_PeregrClick();
  void SpeedItem_GrafClick();
  void PageControl1Change();
  void ListView1Enter();
  void ListView1Exit();
  void ListView1Click();
  void ListView1Change();
  void SG_TPCRClick();
  void SG_TPClick();
  void SG_TPCR_FindClick();
  // The colours a data cell is drawn in, over the grid's own drawing; none for its own look.
  void SG_TPCRDrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) const;
  void SG_TPDrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) const;
  void SG_TPCR_FindDrawCell(QPainter& Canvas, int ACol, int ARow, const QRect& Rect) const;
  // The status line shows the long title of the column under the mouse (X in the grid's
  // viewport); SG_TPCRMouseMove serves SG_TPCR and SG_TPCR_Find.
  void SG_TPCRMouseMove(int X);
  void SG_TPMouseMove(int X);
  void ListView1ColumnClick(int column);
  // Two rows by the texts of column SortColumn: below 0, 0 or above 0.
  int ListView1Compare(const QTreeWidgetItem* Item1, const QTreeWidgetItem* Item2) const;
  void ListView1DblClick();
  // Enter acts as a double click; a handled key becomes 0.
  void ListView1KeyDown(int& Key);
  void SpeedBtn_ExitClick();
  void N_HelpClick();
  void SpeedBtn_WWWClick();
  void N_WWWClick();
  void SpeedBtn_MailClick();
  void N_MailClick();
  void SpeedBtn_AboutClick();
  void N_AboutClick();
  void Btn_NastrGrafClick();
  void Btn_CopyImageClick();
  void Btn_ShowTablePointClick();
  void TabSheet_GrafHide();
  void SpeedBtn_FindClick();
  void SpeedBtn_RefreshClick();
  // Shows or hides the decoded-record window of the open file's variant.
  void N_DecodeDataClick();
  void SpeedItem_PrintClick();

 signals:
  // The user agreed to close the window: the program ends.
  void Closed();

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildActions();
  void BuildMenus();
  void BuildToolBars();
  void BuildPages();
  void BuildRecordPages();
  void BuildLongTermPage();
  void BuildGraphPage();
  void BuildGraphButtons();
  // A read forgets the picks; the filler lays out the graph page's windows.
  void ResetPickedPoints();
  void PrepareGraphWindows(const QStringList& titles, const ColumnDescriptionList& descriptions);
  void BuildStatusHints();
  void SetStatusHint(QWidget* area, const QString& text);
  bool ShowStatusHint(QObject* watched, QEvent* event);
  // Shows a page without running the command of its tab.
  void ShowPage(int index);
  void OnPageChanged(int index);
  // The frame of the four data-page commands around their page steps.
  void RunDataPageCommand(QAction* viewItem, const std::function<void()>& pageSteps);
  void TablePageSteps();
  void OtherPageSteps(int page);
  void SetPrintEnabled(bool enabled);
  void SetAllFileCommandsEnabled(bool enabled);
  void SetFindEnabled(bool enabled);
  void ShowFileData();
  void DrawRecordGridCell(StringGrid* grid, QPainter& Canvas, int col, int row,
                          const QRect& rect) const;
  void ShowColumnDescription(StringGrid* grid, int x);
  // A list event may change the command states only on the list page.
  void ListEvent();
  void FormCreate();
  void FormShow();
  bool FormCloseQuery();
  void FormClose();
  // The outer window's limits while it is sized: 0 for no maximum.
  void FormConstrainedResize(int& MinWidth, int& MinHeight, int& MaxWidth, int& MaxHeight);
  void ApplySizeConstraints();
  void ListSteps();
  // CurrentFilePath := the selected file; without one, "Выберите файл" and back to the list.
  bool TakeSelectedFile();
  void SetFileCommandsEnabled(bool enabled);
  void SetDecodeEnabled(bool enabled);
  void HideDecodedView();
  // The decoded-record windows: those given at start-up, else the window's own.
  TformView1* DecodedView1();
  TFormView2* DecodedView2();
  // Fills the visible decoded-record window of the open file's variant from a grid row; a
  // row that does not convert leaves the window as it was.
  void DecodeRowIntoView(StringGrid* grid, int row);
  // Centres a dialog on this window, frames included.
  void CentreOnWindow(QWidget* dialog) const;
  // The window's size and limits are those of the outer window: once the window system has
  // put a frame around it, the client area gives way to the frame.
  void FitFrame();

  QStringList arguments_;
  QString programFile_;
  DesktopToolRuns* desktopTools_;
  Windows windows_;
  TForm_Searsh* searsh_ = nullptr;
  PrintWindows printWindows_;
  bool shown_ = false;
  QSize frame_{0, 0};  // the frame's share of the outer size, as last fitted
  // Back from maximised or full screen, until the platform has given the normal size back.
  bool restoring_ = false;
  bool disabled_ = false;
  bool programPageChange_ = false;
  int shownPage_ = 0;
  std::vector<std::unique_ptr<ChartSeries>> ownedSeries_;
  std::array<ChartSeries*, kGraphSeries> seriesG_{};
  // The graph page's event filter; it goes before the charts and pages it watches.
  QObject* graphPageEvents_ = nullptr;
  QPointer<TForm_GrafPoint> grafPoint_;
  QPointer<TForm_NastrGraf> nastrGraf_;
  QPointer<TformView1> view1_;
  QPointer<TFormView2> view2_;
};
