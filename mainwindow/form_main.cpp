#include "mainwindow/form_main.h"

#include "acquisition/form_palm.h"
#include "acquisition/form_read.h"
#include "archive/data_file.h"
#include "controls/browse_directory.h"
#include "controls/delay.h"
#include "controls/speed_bar.h"
#include "mainwindow/archive_list.h"
#include "mainwindow/file_copy.h"
#include "mainwindow/file_type_registration.h"
#include "mainwindow/form_graf_point.h"
#include "mainwindow/form_nastr_graf.h"
#include "mainwindow/form_searsh.h"
#include "mainwindow/form_table_searsh.h"
#include "mainwindow/form_view1.h"
#include "mainwindow/form_view2.h"
#include "mainwindow/string_grid.h"
#include "platform/chart_series.h"
#include "platform/chart_view.h"
#include "platform/dialog_services.h"
#include "platform/exception_guard.h"
#include "platform/grid_model.h"
#include "platform/message_box.h"
#include "platform/program_directory.h"
#include "platform/settings_store.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QScopeGuard>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

QString MakerMailLink() {
  return QStringLiteral("MailTo:") + kMakerMailAddress + QStringLiteral("?Subject=Jibwarden");
}

namespace {

const QString kCaptionConfirm = QStringLiteral("Подтверждение");
const QString kCaptionWarning = QStringLiteral("Предупреждение");
const QString kChooseFile = QStringLiteral("Выберите файл");
// The status-bar text of an area the mouse moves over.
const char* const kStatusHint = "statusHint";
constexpr int kTablePageDelayMs = 100;
constexpr int kPanelShowDelayMs = 100;

enum Page { kPageList = 0, kPageTable, kPageTableTP, kPageParam, kPageGraf };

bool AskYes(const QString& text) {
  return MessageBox::Show(text, kCaptionConfirm, MsgButtons::YesNo, MsgIcon::Question) ==
         MsgResult::Yes;
}

// A list row that sorts by the byte values of the clicked column's texts.
class ArchiveItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
    return CompareListTexts(text(column), other.text(column)) < 0;
  }
};

// The name part of a path holds no "." at all.
bool LacksExtension(const QString& path) {
  return !QFileInfo(path).fileName().contains(u'.');
}

bool IsInputEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::Shortcut:
      return true;
    default:
      return false;
  }
}

}  // namespace

TForm_main::CommandScope::CommandScope(TForm_main& window)
    : window_(window), acquired_(!window.disabled_) {
  if (!acquired_) return;
  window_.disabled_ = true;
  qApp->installEventFilter(&window_);
}

TForm_main::CommandScope::~CommandScope() {
  if (!acquired_) return;
  qApp->removeEventFilter(&window_);
  window_.disabled_ = false;
}

TForm_main::TForm_main(QWidget* parent)
    : TForm_main(QCoreApplication::arguments().mid(1), QCoreApplication::applicationFilePath(),
                 parent) {}

TForm_main::TForm_main(QStringList arguments, QString programFile, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)), programFile_(std::move(programFile)) {
  setObjectName(QStringLiteral("Form_main"));
  setWindowTitle(
      QStringLiteral("Jibwarden - Работа с регистратором параметров v 2.0.6 (25.12.2004)"));
  resize(696, 534);
  // The window may not be made smaller than this; there is no maximum.
  setMinimumSize(500, 400);
  BuildActions();
  BuildMenus();
  BuildToolBars();
  BuildPages();
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    move(area.center() - rect().center());
  }
}

TForm_main::~TForm_main() {
  // No event of the teardown may reach the graph page's handlers on a half-gone window.
  delete graphPageEvents_;
  // The charts draw series that this window owns: they go first.
  delete Chart1;
  delete Chart_Data;
}

void TForm_main::SetWindows(const Windows& windows) {
  windows_ = windows;
  grafPoint_ = windows.Form_GrafPoint;
  nastrGraf_ = windows.Form_NastrGraf;
  view1_ = windows.formView1;
  view2_ = windows.FormView2;
}

void TForm_main::BuildActions() {
  auto make = [this](const QString& name, const QString& text, const QIcon& icon = QIcon()) {
    auto* action = new QAction(icon, text, this);
    action->setObjectName(name);
    return action;
  };
  auto icon = [this](QStyle::StandardPixmap which) { return style()->standardIcon(which); };
  // Tool items: the text is the item's hint.
  SpeedBtn_Read =
      make("SpeedBtn_Read", "Считать данные нового регистратора", icon(QStyle::SP_ArrowDown));
  SpeedItem_SelectDir =
      make("SpeedItem_SelectDir", "Выбрать каталог с данными", icon(QStyle::SP_DirOpenIcon));
  SpeedItem_SaveAs = make("SpeedItem_SaveAs", "Сохранить как", icon(QStyle::SP_DialogSaveButton));
  SpeedItem_AddFile =
      make("SpeedItem_AddFile", "Добавить данные в список", icon(QStyle::SP_FileDialogNewFolder));
  SpeedItem_DelFile =
      make("SpeedItem_DelFile", "Удалить данные из списка", icon(QStyle::SP_TrashIcon));
  SpeedItem_Print = make("SpeedItem_Print", "Печать", icon(QStyle::SP_ComputerIcon));
  SpeedItem_Spisok = make("SpeedItem_Spisok", "Список файлов", icon(QStyle::SP_FileDialogListView));
  SpeedItem_Table = make("SpeedItem_Table", "Оперативная информация в виде таблицы",
                         icon(QStyle::SP_FileDialogDetailedView));
  SpeedItem_TableTP =
      make("SpeedItem_TableTP", "Таблица перегрузок", icon(QStyle::SP_MessageBoxWarning));
  SpeedItem_Peregr =
      make("SpeedItem_Peregr", "Долговременная информация", icon(QStyle::SP_FileDialogInfoView));
  SpeedItem_Graf = make("SpeedItem_Graf", "Оперативная информация в виде графиков",
                        icon(QStyle::SP_FileDialogContentsView));
  SpeedItem_DecodeData =
      make("SpeedItem_DecodeData", "Расшифровка данных", icon(QStyle::SP_FileDialogStart));
  SpeedBtn_Find = make("SpeedBtn_Find", "Поиск значений", icon(QStyle::SP_FileDialogToParent));
  SpeedBtn_Refresh = make("SpeedBtn_Refresh", "Обновить таблицу", icon(QStyle::SP_BrowserReload));
  SpeedBtn_About = make("SpeedBtn_About", "О программе", icon(QStyle::SP_MessageBoxInformation));
  SpeedBtn_WWW = make("SpeedBtn_WWW", QStringLiteral("Посетить ") + kMakerWebAddress,
                      icon(QStyle::SP_DriveNetIcon));
  SpeedBtn_Mail = make("SpeedBtn_Mail", QStringLiteral("Написать письмо ") + kMakerMailAddress,
                       icon(QStyle::SP_DialogYesButton));
  SpeedBtn_Exit = make("SpeedBtn_Exit", "Выйти из программы", icon(QStyle::SP_DialogCloseButton));

  ViewItems = new QActionGroup(this);
  ViewItems->setObjectName(QStringLiteral("ViewItems"));
  for (QAction* item :
       {SpeedItem_Spisok, SpeedItem_Table, SpeedItem_TableTP, SpeedItem_Peregr, SpeedItem_Graf}) {
    item->setCheckable(true);
    ViewItems->addAction(item);
  }
  SpeedItem_Spisok->setChecked(true);

  // Main menu items.
  N_Read = make("N_Read", "Считать...");
  N_Read->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  N_SelectDir = make("N_SelectDir", "Выбрать каталог...");
  N_SaveAs = make("N_SaveAs", "Сохранить как...");
  N_AddFile = make("N_AddFile", "Добавить файл...");
  N_DelFile = make("N_DelFile", "Удалить файл");
  N_DelFile->setShortcut(QKeySequence(Qt::Key_Delete));
  N_Print = make("N_Print", "Печать...");
  N_Print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  N_Exit = make("N_Exit", "Выход");
  N_Spisok = make("N_Spisok", "Список файлов");
  N_Spisok->setShortcut(QKeySequence(Qt::Key_F2));
  N_Table = make("N_Table", "Оперативная информация в виде таблицы");
  N_Table->setShortcut(QKeySequence(Qt::Key_F3));
  N_TableTP = make("N_TableTP", "Таблица перегрузок");
  N_TableTP->setShortcut(QKeySequence(Qt::Key_F4));
  N_Peregr = make("N_Peregr", "Долговременная информация");
  N_Peregr->setShortcut(QKeySequence(Qt::Key_F5));
  N_Graf = make("N_Graf", "Оперативная информация в виде графиков");
  N_Graf->setShortcut(QKeySequence(Qt::Key_F6));
  N_DecodeData = make("N_DecodeData", "Расшифровка данных");
  N_DecodeData->setShortcut(QKeySequence(Qt::Key_F7));
  N_Find = make("N_Find", "Поиск...");
  N_Find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  N_Refresh = make("N_Refresh", "Обновить");
  N_Refresh->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  N_Help = make("N_Help", "Вызов справки");
  N_Help->setShortcut(QKeySequence(Qt::Key_F1));
  N_WWW = make("N_WWW", "Посетить сайт...");
  N_Mail = make("N_Mail", "Написать письмо разработчикам");
  N_About = make("N_About", "О программе...");

  N_popRead = make("N_popRead", "Считать...");
  N_popSaveAs = make("N_popSaveAs", "Сохранить как...");
  N_popAddFile = make("N_popAddFile", "Добавить файл...");
  N_popDelFile = make("N_popDelFile", "Удалить файл");

  auto bind = [this](std::initializer_list<QAction*> actions, void (TForm_main::*handler)()) {
    for (QAction* action : actions) connect(action, &QAction::triggered, this, handler);
  };
  bind({SpeedBtn_Read, N_Read, N_popRead}, &TForm_main::SpeedBtn_ReadClick);
  bind({SpeedItem_SelectDir, N_SelectDir}, &TForm_main::SpeedItem_SelectDirClick);
  bind({SpeedItem_SaveAs, N_SaveAs, N_popSaveAs}, &TForm_main::SpeedItem_SaveAsClick);
  bind({SpeedItem_AddFile, N_AddFile, N_popAddFile}, &TForm_main::SpeedItem_AddFileClick);
  bind({SpeedItem_DelFile, N_DelFile, N_popDelFile}, &TForm_main::SpeedItem_DelFileClick);
  bind({SpeedItem_Print, N_Print}, &TForm_main::SpeedItem_PrintClick);
  bind({SpeedItem_Spisok, N_Spisok}, &TForm_main::SpeedItem_SpisokClick);
  bind({SpeedItem_Table, N_Table}, &TForm_main::SpeedItem_TableClick);
  bind({SpeedItem_TableTP, N_TableTP}, &TForm_main::SpeedItem_TableTPClick);
  bind({SpeedItem_Peregr, N_Peregr}, &TForm_main::SpeedItem_PeregrClick);
  bind({SpeedItem_Graf, N_Graf}, &TForm_main::SpeedItem_GrafClick);
  bind({SpeedBtn_Exit, N_Exit}, &TForm_main::SpeedBtn_ExitClick);
  bind({N_Help}, &TForm_main::N_HelpClick);
  bind({SpeedBtn_WWW}, &TForm_main::SpeedBtn_WWWClick);
  bind({N_WWW}, &TForm_main::N_WWWClick);
  bind({SpeedBtn_Mail}, &TForm_main::SpeedBtn_MailClick);
  bind({N_Mail}, &TForm_main::N_MailClick);
  bind({SpeedItem_DecodeData, N_DecodeData}, &TForm_main::N_DecodeDataClick);
  bind({SpeedBtn_About, N_About}, &TForm_main::SpeedBtn_AboutClick);
  bind({SpeedBtn_Find, N_Find}, &TForm_main::SpeedBtn_FindClick);
  bind({SpeedBtn_Refresh, N_Refresh}, &TForm_main::SpeedBtn_RefreshClick);
}

void TForm_main::BuildMenus() {
  auto menu = [this](const QString& name, const QString& title) {
    QMenu* m = menuBar()->addMenu(title);
    m->setObjectName(name);
    return m;
  };
  N_File = menu("N_File", "&Файл");
  N_File->addAction(N_Read);
  N_File->addSeparator();
  N_File->addAction(N_SelectDir);
  N_File->addSeparator();
  N_File->addActions({N_SaveAs, N_AddFile, N_DelFile});
  N_File->addSeparator();
  N_File->addAction(N_Print);
  N_File->addSeparator();
  N_File->addAction(N_Exit);

  N_View = menu("N_View", "&Вид");
  N_View->addAction(N_Spisok);
  N_View->addSeparator();
  N_View->addActions({N_Table, N_TableTP, N_Peregr, N_Graf});
  N_View->addSeparator();
  N_View->addAction(N_DecodeData);

  N_Extra = menu("N_Extra", "&Дополнительно");
  N_Extra->addActions({N_Find, N_Refresh});

  N_HelpMenu = menu("N_HelpMenu", "&Справка");
  N_HelpMenu->addAction(N_Help);
  N_HelpMenu->addSeparator();
  N_HelpMenu->addActions({N_WWW, N_Mail});
  N_HelpMenu->addSeparator();
  N_HelpMenu->addAction(N_About);

  popupMain = new QMenu(this);
  popupMain->setObjectName(QStringLiteral("popupMain"));
  popupMain->addAction(N_popRead);
  popupMain->addSeparator();
  popupMain->addActions({N_popSaveAs, N_popAddFile});
  popupMain->addSeparator();
  popupMain->addAction(N_popDelFile);
}

void TForm_main::BuildToolBars() {
  // Each item follows the command it shares with the menus: state, hint and click.
  auto bar = [this](const QString& name, const QList<QList<QAction*>>& groups) {
    auto* b = new TSpeedBar(this);
    b->setObjectName(name);
    b->SetPosition(Sb::bpCustom);
    b->SetOptions(Sb::sbFlatBtns);
    b->SetBevelOuter(Sb::bvNone);
    b->SetBtnOffsetHorz(3);
    b->SetBtnOffsetVert(3);
    b->AppendSection(QStringLiteral("Untitled (1)"));
    int left = b->BtnOffsetHorz();
    for (const QList<QAction*>& group : groups) {
      for (QAction* action : group) {
        auto* item = new TSpeedItem(this);
        item->SetName(action->objectName());
        item->SetCaption(action->text());
        item->SetSpacing(1);
        // The glyph's transparent colour is one exact colour: half-transparent edges of the
        // icon are made whole or dropped, never blended into it.
        const QColor fuchsia(0xFF, 0x00, 0xFF);
        const QImage icon =
            action->icon().pixmap(18, 18).toImage().convertToFormat(QImage::Format_ARGB32);
        QImage glyph(18, 18, QImage::Format_RGB32);
        glyph.fill(fuchsia);
        for (int y = 0; y < qMin(18, icon.height()); ++y)
          for (int x = 0; x < qMin(18, icon.width()); ++x)
            if (qAlpha(icon.pixel(x, y)) >= 128)
              glyph.setPixel(x, y, icon.pixel(x, y) | 0xFF000000);
        item->SetGlyph(QPixmap::fromImage(glyph));
        item->Button()->ButtonGlyph().SetTransparentColor(fuchsia);
        if (action->isCheckable()) item->SetGroupIndex(1);
        b->AddItem(0, item);
        item->SetLeft(left);
        item->SetTop(b->BtnOffsetVert());
        item->SetVisible(true);
        left += b->BtnWidth();
        auto follow = [item, action] {
          item->SetEnabled(action->isEnabled());
          item->SetDown(action->isChecked());
          item->SetHint(action->toolTip());
        };
        follow();
        connect(action, &QAction::changed, item, follow);
        connect(item, &TSpeedItem::OnClick, action, [action] { action->trigger(); });
      }
      left += b->GridSize().width();  // a gap between groups
    }
    b->resize(left - b->GridSize().width() + b->BtnOffsetHorz(), 29);
    b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return b;
  };
  SpeedBar1 =
      bar("SpeedBar1",
          {{SpeedBtn_Read, SpeedItem_SelectDir, SpeedItem_SaveAs, SpeedItem_AddFile,
            SpeedItem_DelFile, SpeedItem_Print},
           {SpeedItem_Spisok, SpeedItem_Table, SpeedItem_TableTP, SpeedItem_Peregr, SpeedItem_Graf},
           {SpeedItem_DecodeData}});
  SpeedBar_Find = bar("SpeedBar_Find", {{SpeedBtn_Find, SpeedBtn_Refresh}});
  SpeedBar3 = bar("SpeedBar3", {{SpeedBtn_About, SpeedBtn_WWW, SpeedBtn_Mail, SpeedBtn_Exit}});
  SpeedBar3->setMaximumWidth(250);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedHeight(31);
  auto* row = new QHBoxLayout(Panel1);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(0);
  row->addWidget(SpeedBar1);
  row->addWidget(SpeedBar_Find);
  row->addStretch(1);
  row->addWidget(SpeedBar3);
  SpeedBar_Find->hide();
}

void TForm_main::BuildPages() {
  auto* central = new QWidget(this);
  central->setObjectName(QStringLiteral("ClientArea"));
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(Panel1);

  PageControl1 = new QTabWidget(central);
  PageControl1->setObjectName(QStringLiteral("PageControl1"));
  PageControl1->setTabPosition(QTabWidget::South);
  auto sheet = [this](const QString& name, const QString& caption) {
    auto* page = new QWidget(PageControl1);
    page->setObjectName(name);
    PageControl1->addTab(page, caption);
    return page;
  };
  TabSheet_Spisok = sheet("TabSheet_Spisok", "Список файлов");
  TabSheet_Table = sheet("TabSheet_Table", "Оперативная инф.(таблица)");
  TabSheet_TableTP = sheet("TabSheet_TableTP", "Таблица перегрузок");
  TabSheet_Param = sheet("TabSheet_Param", "Долговременная инф.");
  TabSheet_Graf = sheet("TabSheet_Graf", "Оперативная инф.(графики)");
  column->addWidget(PageControl1, 1);

  auto* listPage = new QVBoxLayout(TabSheet_Spisok);
  listPage->setContentsMargins(0, 0, 0, 0);
  listPage->setSpacing(0);
  auto* top = new QHBoxLayout;
  ST_InfoDir = new QLabel(TabSheet_Spisok);
  ST_InfoDir->setObjectName(QStringLiteral("ST_InfoDir"));
  ST_InfoDir->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  ST_InfoDir->setTextFormat(Qt::PlainText);
  top->addWidget(ST_InfoDir, 1);
  Btn_Dots = new QToolButton(TabSheet_Spisok);
  Btn_Dots->setObjectName(QStringLiteral("Btn_Dots"));
  Btn_Dots->setText(QStringLiteral("..."));
  top->addWidget(Btn_Dots);
  listPage->addLayout(top);

  ListView1 = new QTreeWidget(TabSheet_Spisok);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setRootIsDecorated(false);
  ListView1->setUniformRowHeights(true);
  ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  ListView1->setAllColumnsShowFocus(true);
  ListView1->setSortingEnabled(false);
  ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
  ListView1->setHeaderLabels({"Тип крана", "Номер крана", "Тип прибора", "Номер прибора", "Дата",
                              "Оператор", "Коментарии", "Имя файла"});
  const int widths[kArchiveColumnCount] = {80, 80, 80, 100, 50, 80, 80, 100};
  for (int c = 0; c < kArchiveColumnCount; ++c) ListView1->setColumnWidth(c, widths[c]);
  ListView1->header()->setStretchLastSection(false);
  ListView1->header()->setSectionsClickable(true);
  ListView1->header()->setSortIndicatorShown(false);
  ListView1->installEventFilter(this);
  listPage->addWidget(ListView1, 1);
  connect(ListView1->header(), &QHeaderView::sectionClicked, this,
          &TForm_main::ListView1ColumnClick);
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this, &TForm_main::ListView1DblClick);
  connect(ListView1, &QTreeWidget::itemSelectionChanged, this, &TForm_main::ListView1Change);
  connect(ListView1, &QTreeWidget::itemClicked, this, &TForm_main::ListView1Click);
  connect(ListView1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    if (!disabled_) popupMain->popup(ListView1->viewport()->mapToGlobal(pos));
  });

  FileListBox1 = new QListWidget(TabSheet_Spisok);
  FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
  FileListBox1->hide();

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
  auto* panel0 = new QLabel(StatusBar1);
  panel0->setObjectName(QStringLiteral("StatusBar1_Panel0"));
  StatusBar1->addWidget(panel0, 1);
  setStatusBar(StatusBar1);

  BuildRecordPages();
  BuildLongTermPage();
  BuildGraphPage();

  // A child of the window itself, so that it is centred in the whole window.
  Panel_Read = new QFrame(this);
  Panel_Read->setObjectName(QStringLiteral("Panel_Read"));
  Panel_Read->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel_Read->setAutoFillBackground(true);
  Panel_Read->resize(377, 97);
  auto* readColumn = new QVBoxLayout(Panel_Read);
  ST_ReadFile = new QLabel(Panel_Read);
  ST_ReadFile->setObjectName(QStringLiteral("ST_ReadFile"));
  PB_Read = new QProgressBar(Panel_Read);
  PB_Read->setObjectName(QStringLiteral("PB_Read"));
  PB_Read->setRange(0, 100);
  readColumn->addWidget(ST_ReadFile);
  readColumn->addWidget(PB_Read);
  Panel_Read->hide();

  setCentralWidget(central);
  connect(PageControl1, &QTabWidget::currentChanged, this, &TForm_main::OnPageChanged);
  BuildStatusHints();
}

QString TForm_main::StatusPanel0() const {
  return StatusBar1->findChild<QLabel*>(QStringLiteral("StatusBar1_Panel0"))->text();
}

void TForm_main::SetStatusPanel0(const QString& text) {
  StatusBar1->findChild<QLabel*>(QStringLiteral("StatusBar1_Panel0"))->setText(text);
}

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

void TForm_main::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void TForm_main::FormShow() {
  LastMzSearchText = QStringLiteral("0");
  ShowPage(kPageList);
  Panel_Read->hide();
  NeedReload = 1;

  // Each settings step stands alone: a settings store that cannot be written must not keep
  // the archive list from being built.
  SettingsStore classes(SettingsRoot::Classes);
  RegisterFileTypeKeys(classes, programFile_);
  RegisterDesktopFileType(programFile_);

  SettingsStore users(SettingsRoot::Users);
  DataDirectory = users.ReadString(kDirDataSection, kDirDataName);
  if (!arguments_.isEmpty()) {
    const QFileInfo argument(arguments_.first());
    if (argument.exists() && !argument.isDir()) DataDirectory = argument.absolutePath();
  }
  if (DataDirectory.isEmpty() || !QFileInfo(DataDirectory).isDir()) {
    DataDirectory = WritableDirectoryFor(QFileInfo(programFile_).absolutePath());
  }
  users.WriteString(kDirDataSection, kDirDataName, DataDirectory);

  RefreshFileList();
  ListView1->setFocus();
  if (ListView1->topLevelItemCount() > 0) SelectRow(0);
}

void TForm_main::HideDecodedView() {
  if (view1_) view1_->hide();
}

void TForm_main::SetDecodeEnabled(bool enabled) {
  N_DecodeData->setEnabled(enabled);
  SpeedItem_DecodeData->setEnabled(enabled);
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
  SpeedItem_Table->setChecked(true);
  if (!TakeSelectedFile()) return;
  QString target =
      GetSaveFileName({QString(), QStringLiteral("*.bbi|*.bbi"), QString(), QString()});
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

void TForm_main::ListView1DblClick() {
  if (disabled_) return;
  const QString name = SelectedFileName();
  if (name.isEmpty()) return;
  CurrentFilePath = QDir(DataDirectory).filePath(name);
  SpeedItem_Table->setChecked(true);
  SpeedItem_TableClick();
}

bool TForm_main::eventFilter(QObject* watched, QEvent* event) {
  if (disabled_ && IsInputEvent(event->type())) {
    // A running command has disabled the window: drop the user's input to it.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) return true;
  }
  if (ShowStatusHint(watched, event)) return false;
  if (watched == ListView1 && event->type() == QEvent::FocusIn) ListView1Enter();
  if (watched == ListView1 && event->type() == QEvent::FocusOut) ListView1Exit();
  if (watched == ListView1 && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      ListView1DblClick();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

bool TForm_main::FormCloseQuery() {
  return MessageBox::Show(QStringLiteral("Выйти из программы ?"), kCaptionConfirm,
                          MsgButtons::OkCancel, MsgIcon::Question) == MsgResult::Ok;
}

void TForm_main::closeEvent(QCloseEvent* event) {
  CommandScope scope(*this);
  if (!scope.Acquired() || !FormCloseQuery()) {
    event->ignore();
    return;
  }
  event->accept();
  emit Closed();
}

void TForm_main::SpeedBtn_ExitClick() {
  if (disabled_) return;
  SetStatusPanel0(QString());
  close();
}

void TForm_main::N_HelpClick() {
  if (disabled_) return;
  ShellOpen(QDir(QFileInfo(programFile_).absolutePath()).filePath(kHelpFileName));
}

void TForm_main::SpeedBtn_WWWClick() {
  if (disabled_) return;
  SetStatusPanel0(QString());
  ShellOpen(kMakerWebAddress);
}

void TForm_main::N_WWWClick() {
  if (disabled_) return;
  ShellOpen(kMakerWebAddress);
}

void TForm_main::SpeedBtn_MailClick() {
  if (disabled_) return;
  SetStatusPanel0(QString());
  ShellOpen(MakerMailLink());
}

void TForm_main::N_MailClick() {
  if (disabled_) return;
  ShellOpen(MakerMailLink());
}

void TForm_main::SpeedBtn_AboutClick() {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  QDialog* about = windows_.Form_About;
  if (!about) return;
  CentreOnWindow(about);
  about->exec();
}

void TForm_main::CentreOnWindow(QWidget* dialog) const {
  const QRect main = frameGeometry();
  // A window not shown yet has no frame: assume the main window's decorations.
  const QMargins frame(geometry().left() - main.left(), geometry().top() - main.top(),
                       main.right() - geometry().right(), main.bottom() - geometry().bottom());
  const QRect box =
      dialog->isVisible() ? dialog->frameGeometry() : dialog->geometry().marginsAdded(frame);
  dialog->move(main.left() + main.width() / 2 - box.width() / 2,
               main.top() + main.height() / 2 - box.height() / 2);
}

// --- Search -----------------------------------------------------------------------------

void TForm_main::SetSearchWindows(TForm_Searsh* searsh, TForm_TableSearsh* tableSearsh) {
  searsh_ = searsh;
  if (searsh) searsh->SetTargets({SG_TPCR, SG_TPCR_Find, &LastMzSearchText});
  if (tableSearsh) {
    tableSearsh->SetConditionFilterHook([this](quint8 on) {
      ConditionFilterOn = on;
      SG_TPCR->viewport()->update();
    });
  }
}

void TForm_main::SpeedBtn_FindClick() {
  CommandScope scope(*this);
  if (!scope.Acquired() || !searsh_) return;
  CentreOnWindow(searsh_);
  searsh_->exec();
}

void TForm_main::SpeedBtn_RefreshClick() {
  if (disabled_) return;
  SG_TPCR_Find->Grid().SetRowCount(1);
  SG_TPCR_Find->hide();
  SG_TPCR->show();
}

// --- Data pages -------------------------------------------------------------------------

namespace {

QVBoxLayout* FillingLayout(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

ChartSeries* NewSeries(std::vector<std::unique_ptr<ChartSeries>>& owned, SeriesKind kind,
                       const QString& name, const QColor& colour) {
  owned.push_back(std::make_unique<ChartSeries>(kind, name));
  owned.back()->SetColour(colour);
  return owned.back().get();
}

}  // namespace

void TForm_main::BuildRecordPages() {
  SG_TPCR = new StringGrid(QStringLiteral("SG_TPCR"), true, TabSheet_Table);
  SG_TPCR_Find = new StringGrid(QStringLiteral("SG_TPCR_Find"), true, TabSheet_Table);
  SG_TP = new StringGrid(QStringLiteral("SG_TP"), false, TabSheet_TableTP);
  // The search results lie over the records and are shown instead of them.
  auto* table = new QGridLayout(TabSheet_Table);
  table->setContentsMargins(0, 0, 0, 0);
  table->addWidget(SG_TPCR, 0, 0);
  table->addWidget(SG_TPCR_Find, 0, 0);
  SG_TPCR_Find->hide();
  FillingLayout(TabSheet_TableTP)->addWidget(SG_TP);

  for (StringGrid* grid : {SG_TPCR, SG_TP, SG_TPCR_Find}) {
    ClearRecordGrid(grid->Grid());
    grid->SetCellPainter(
        [this, grid](int col, int row) { return RecordCellColours(grid, col, row); });
    grid->viewport()->installEventFilter(this);
    grid->horizontalHeader()->installEventFilter(this);
  }
  connect(SG_TPCR, &StringGrid::Click, this, &TForm_main::SG_TPCRClick);
  connect(SG_TP, &StringGrid::Click, this, &TForm_main::SG_TPClick);
  connect(SG_TPCR_Find, &StringGrid::Click, this, &TForm_main::SG_TPCR_FindClick);
}

void TForm_main::BuildLongTermPage() {
  auto* page = FillingLayout(TabSheet_Param);
  Series1 = NewSeries(ownedSeries_, SeriesKind::HorizontalBar, QStringLiteral("Series1"), Qt::red);
  Chart1 = new ChartView(TabSheet_Param);
  Chart1->setObjectName(QStringLiteral("Chart1"));
  Chart1->SetTitle(QStringLiteral("Нагрузочные характеристики"), QFont(QStringLiteral("Arial")));
  Chart1->AddSeries(Series1);
  // A picture only: it takes no mouse input.
  Chart1->setEnabled(false);
  page->addWidget(Chart1, 1);

  auto* values = new QGridLayout;
  values->setContentsMargins(8, 4, 8, 8);
  values->setColumnStretch(1, 1);
  values->setHorizontalSpacing(16);
  QLabel** const labels[] = {&ST_Csum,  &ST_Haract, &ST_ClassIsp, &ST_Km,
                             &ST_Rezim, &ST_Mch,    &ST_TO};
  static const char* const kNames[] = {"ST_Csum",  "ST_Haract", "ST_ClassIsp", "ST_Km",
                                       "ST_Rezim", "ST_Mch",    "ST_TO"};
  for (int r = 0; r < 7; ++r) {
    QLabel** label = labels[r];
    auto* title = new QLabel(QString::fromUtf8(DataFile::kLongTermCaptions[r]), TabSheet_Param);
    *label = new QLabel(kNoValueText, TabSheet_Param);
    (*label)->setObjectName(QString::fromLatin1(kNames[r]));
    (*label)->setTextFormat(Qt::PlainText);
    values->addWidget(title, r, 0);
    values->addWidget(*label, r, 1);
  }
  page->addLayout(values);
}

void TForm_main::BuildGraphPage() {
  auto* page = FillingLayout(TabSheet_Graf);
  Chart_Data = new ChartView(TabSheet_Graf);
  Chart_Data->setObjectName(QStringLiteral("Chart_Data"));
  Chart_Data->SetTitle(QStringLiteral("Графики временной зависимости регистрируемых параметров"),
                       Chart_Data->font());
  const QColor colours[kGraphSeries] = {Qt::red,
                                        QColor(0x00, 0x80, 0x00),
                                        Qt::yellow,
                                        Qt::blue,
                                        Qt::white,
                                        QColor(0x80, 0x80, 0x80),
                                        QColor(0xFF, 0x00, 0xFF),
                                        QColor(0x00, 0x80, 0x80),
                                        QColor(0x00, 0x00, 0x80),
                                        QColor(0x80, 0x00, 0x00),
                                        QColor(0x00, 0xFF, 0x00),
                                        QColor(0x80, 0x80, 0x00),
                                        QColor(0x80, 0x00, 0x80)};
  for (int k = 1; k <= kGraphSeries; ++k) {
    seriesG_[std::size_t(k - 1)] = NewSeries(ownedSeries_, SeriesKind::Line,
                                             QStringLiteral("Series_G%1").arg(k), colours[k - 1]);
  }
  Series_Point =
      NewSeries(ownedSeries_, SeriesKind::FastLine, QStringLiteral("Series_Point"), Qt::red);
  for (int k = 1; k <= 11; ++k) Chart_Data->AddSeries(Series_G(k));
  Chart_Data->AddSeries(Series_Point);
  Chart_Data->AddSeries(Series_G(12));
  Chart_Data->AddSeries(Series_G(13));
  page->addWidget(Chart_Data);
  BuildGraphButtons();
}

std::optional<CellColours> TForm_main::RecordCellColours(StringGrid* grid, int col, int row) const {
  RecordGrid which = RecordGrid::TPCR;
  int remembered = CurrentRowTPCR;
  if (grid == SG_TP) {
    which = RecordGrid::TP;
    remembered = CurrentRowTP;
  } else if (grid == SG_TPCR_Find) {
    which = RecordGrid::Find;
    remembered = CurrentRowFind;
  }
  const CellLook look = CellLookFor(OpenFile.DeviceTypeCode, grid->Grid(), which, col, row,
                                    remembered, ConditionFilterOn != 0);
  return ColoursOf(look, SystemColoursFrom(grid->palette()));
}

void TForm_main::SG_TPCRClick() {
  CurrentRowTPCR = SG_TPCR->Row();
  SG_TPCR->viewport()->update();
  DecodeRowIntoView(SG_TPCR, CurrentRowTPCR);
}

void TForm_main::SG_TPClick() {
  CurrentRowTP = SG_TP->Row();
  SG_TP->viewport()->update();
  DecodeRowIntoView(SG_TP, CurrentRowTP);
}

void TForm_main::SG_TPCR_FindClick() {
  CurrentRowFind = SG_TPCR_Find->Row();
  SG_TPCR_Find->viewport()->update();
  DecodeRowIntoView(SG_TPCR_Find, CurrentRowFind);
}

// --- Decoded-record windows -------------------------------------------------------------

TformView1* TForm_main::DecodedView1() {
  if (!view1_) view1_ = new TformView1(this);
  return view1_;
}

TFormView2* TForm_main::DecodedView2() {
  if (!view2_) view2_ = new TFormView2(this);
  return view2_;
}

void TForm_main::DecodeRowIntoView(StringGrid* grid, int row) {
  RunGuarded([&] {
    if (OpenFile.DeviceVariant == 1 && view1_ && view1_->isVisible())
      view1_->DecodeRecordVariant10(grid->Grid(), row);
    else if (OpenFile.DeviceVariant == 2 && view2_ && view2_->isVisible())
      view2_->DecodeRecordVariant02(grid->Grid(), row);
  });
}

void TForm_main::N_DecodeDataClick() {
  if (disabled_) return;
  QDialog* view = nullptr;
  if (OpenFile.DeviceVariant == 1) view = DecodedView1();
  if (OpenFile.DeviceVariant == 2) view = DecodedView2();
  if (view) {
    if (view->isVisible()) {
      view->hide();
      return;
    }
    CentreOnWindow(view);
    view->show();
  }
  // Fill it from the row of the grid in sight.
  auto refresh = [this](StringGrid* grid, void (TForm_main::*click)()) {
    if (!grid->isVisible()) return;
    activateWindow();
    grid->setFocus();
    (this->*click)();
  };
  if (TabSheet_Table->isVisible()) {
    refresh(SG_TPCR, &TForm_main::SG_TPCRClick);
    refresh(SG_TPCR_Find, &TForm_main::SG_TPCR_FindClick);
  }
  if (TabSheet_TableTP->isVisible()) refresh(SG_TP, &TForm_main::SG_TPClick);
}

// --- Reading a file ---------------------------------------------------------------------

bool TForm_main::ReadDataFile() {
  PageControl1->setEnabled(false);
  PB_Read->setValue(0);
  ConditionFilterOn = 0;
  ResetPickedPoints();
  // Also when a step throws: the window must stay usable.
  const auto done = qScopeGuard([this] {
    NeedReload = 0;
    Panel_Read->hide();
    PageControl1->setEnabled(true);
    Chart_Data->show();
  });

  Panel_Read->move(width() / 2 - Panel_Read->width() / 2, height() / 2 - Panel_Read->height() / 2);
  Panel_Read->raise();
  Panel_Read->show();
  Delay(kPanelShowDelayMs);
  ST_ReadFile->setText(ReadPanelText(CurrentFilePath));
  Chart_Data->hide();

  ReadTargets targets;
  targets.Series1 = Series1;
  targets.records.SG_TPCR = &SG_TPCR->Grid();
  targets.records.SG_TP = &SG_TP->Grid();
  targets.records.SG_TPCR_Find = &SG_TPCR_Find->Grid();
  for (int k = 1; k <= kGraphSeries; ++k) targets.records.graphs[std::size_t(k - 1)] = Series_G(k);
  ReadHooks hooks;
  hooks.progress = [this](int percent) {
    PB_Read->setValue(percent);
    // The read runs without returning to the event loop: draw the step now.
    if (PB_Read->isVisible()) PB_Read->repaint();
  };
  hooks.pause = [](int milliseconds) { Delay(milliseconds); };
  hooks.layout = [this](const QStringList& titles, const ColumnDescriptionList& descriptions) {
    PrepareGraphWindows(titles, descriptions);
  };
  hooks.message = [](const QString& text, const QString& caption, BoxIcon icon) {
    MessageBox::Show(text, caption, MsgButtons::Ok,
                     icon == BoxIcon::Error ? MsgIcon::Error : MsgIcon::None);
  };
  ReadOk = ::ReadDataFile(CurrentFilePath, OpenFile, targets, hooks) ? 1 : 0;
  ShowFileData();
  return ReadOk == 1;
}

void TForm_main::ShowFileData() {
  const LongTermTexts& texts = OpenFile.LongTerm;
  ST_Csum->setText(texts.ST_Csum);
  ST_Haract->setText(texts.ST_Haract);
  ST_ClassIsp->setText(texts.ST_ClassIsp);
  ST_Km->setText(texts.ST_Km);
  ST_Rezim->setText(texts.ST_Rezim);
  ST_Mch->setText(texts.ST_Mch);
  ST_TO->setText(texts.ST_TO);
  // Every read has emptied the search results along with the records.
  SG_TP->show();
  SG_TPCR->show();
  SG_TPCR_Find->hide();
}

// --- View switching ---------------------------------------------------------------------

void TForm_main::ShowPage(int index) {
  const bool before = programPageChange_;
  programPageChange_ = true;
  PageControl1->setCurrentIndex(index);
  programPageChange_ = before;
  shownPage_ = PageControl1->currentIndex();
}

bool TForm_main::PageControl1Changing() const {
  return FileSelected != 0 && !disabled_;
}

void TForm_main::OnPageChanged(int index) {
  if (programPageChange_) return;
  if (!PageControl1Changing()) {
    ShowPage(shownPage_);
    return;
  }
  shownPage_ = index;
  PageControl1Change();
}

void TForm_main::PageControl1Change() {
  switch (PageControl1->currentIndex()) {
    case kPageList:
      SpeedItem_SpisokClick();
      break;
    case kPageTable:
      SpeedItem_TableClick();
      break;
    case kPageTableTP:
      SpeedItem_TableTPClick();
      break;
    case kPageParam:
      SpeedItem_PeregrClick();
      break;
    case kPageGraf:
      SpeedItem_GrafClick();
      break;
    default:
      break;
  }
}

void TForm_main::SetPrintEnabled(bool enabled) {
  SpeedItem_Print->setEnabled(enabled);
  N_Print->setEnabled(enabled);
}

void TForm_main::SetAllFileCommandsEnabled(bool enabled) {
  SetFileCommandsEnabled(enabled);
  for (QAction* a :
       {SpeedItem_DelFile, N_DelFile, N_popDelFile, SpeedItem_SaveAs, N_SaveAs, N_popSaveAs}) {
    a->setEnabled(enabled);
  }
}

void TForm_main::SetFindEnabled(bool enabled) {
  SpeedBar_Find->setVisible(enabled);
  N_Find->setEnabled(enabled);
  N_Refresh->setEnabled(enabled);
}

void TForm_main::RunDataPageCommand(QAction* viewItem, const std::function<void()>& pageSteps) {
  CommandScope scope(*this);
  if (!scope.Acquired()) return;
  SpeedBar1->setEnabled(false);
  const auto enableBar = qScopeGuard([this] { SpeedBar1->setEnabled(true); });
  SetStatusPanel0(QString());
  viewItem->setChecked(true);
  if (!TakeSelectedFile()) return;
  pageSteps();
}

void TForm_main::SpeedItem_TableClick() {
  SG_TPCR->show();
  SG_TPCR_Find->hide();
  RunDataPageCommand(SpeedItem_Table, [this] { TablePageSteps(); });
}

void TForm_main::TablePageSteps() {
  if (NeedReload == 1) {
    ReadDataFile();
    SetPrintEnabled(true);
  }
  if (ReadOk == 1) {
    SetPrintEnabled(true);
    SetAllFileCommandsEnabled(false);
    ShowPage(kPageTable);
    SetFindEnabled(true);
    SetDecodeEnabled(true);
    Delay(kTablePageDelayMs);
  } else {
    MessageBox::Show(QString(), QStringLiteral("2"), MsgButtons::Ok, MsgIcon::None);
    ListSteps();
  }
}

// The overload, long-term and graph pages show whatever the read gives.
void TForm_main::OtherPageSteps(int page) {
  SetPrintEnabled(true);
  SetAllFileCommandsEnabled(false);
  SetFindEnabled(false);
  if (page == kPageTableTP) {
    SetDecodeEnabled(true);
  } else {
    SetDecodeEnabled(false);
    HideDecodedView();
  }
  ShowPage(page);
  if (NeedReload == 1) {
    ReadDataFile();
    SetPrintEnabled(true);
  }
}

void TForm_main::SpeedItem_TableTPClick() {
  RunDataPageCommand(SpeedItem_TableTP, [this] { OtherPageSteps(kPageTableTP); });
}

void TForm_main::SpeedItem_PeregrClick() {
  RunDataPageCommand(SpeedItem_Peregr, [this] { OtherPageSteps(kPageParam); });
}

void TForm_main::SpeedItem_GrafClick() {
  RunDataPageCommand(SpeedItem_Graf, [this] { OtherPageSteps(kPageGraf); });
}

void TForm_main::ListEvent() {
  // On a data page the file commands are off and print is on; the list must not undo that.
  if (PageControl1->currentIndex() == kPageList) UpdateCommandStates();
}

void TForm_main::ListView1Enter() {
  ListEvent();
}

void TForm_main::ListView1Exit() {
  ListEvent();
}

void TForm_main::ListView1Click() {
  ListEvent();
}

void TForm_main::ListView1Change() {
  ListEvent();
}

// --- Status hints -----------------------------------------------------------------------

void TForm_main::SetStatusHint(QWidget* area, const QString& text) {
  area->setProperty(kStatusHint, text);
  area->setMouseTracking(true);
  area->installEventFilter(this);
}

void TForm_main::BuildStatusHints() {
  const std::pair<QAction*, const char*> items[] = {
      {SpeedBtn_Read, "Считать..."},
      {SpeedItem_SelectDir, "Выбрать каталог..."},
      {SpeedItem_AddFile, "Добавить файл..."},
      {SpeedItem_DelFile, "Удалить файл"},
      {SpeedItem_Print, "Печать..."},
      {SpeedItem_Spisok, "Список файлов"},
      {SpeedItem_Table, "Оперативная информация в виде таблицы"},
      {SpeedItem_TableTP, "Таблица перегрузок"},
      {SpeedItem_Peregr, "Долговременная информация"},
      {SpeedItem_Graf, "Оперативная информация в виде графиков"},
      {SpeedBtn_Exit, "Выйти из программы"},
      {SpeedBtn_About, "О программе"},
      {SpeedBtn_Find, "Поиск..."},
      {SpeedBtn_Refresh, "Обновить"},
  };
  for (const auto& [item, hint] : items) {
    item->setToolTip(QString::fromUtf8(hint));
    for (TSpeedBar* bar : {SpeedBar1, SpeedBar_Find, SpeedBar3}) {
      if (TSpeedItem* button = bar->FindItemByName(item->objectName()))
        SetStatusHint(button->Button(), QString::fromUtf8(hint));
    }
  }
  // These two show their hints as tool tips only.
  SpeedItem_SaveAs->setToolTip(QStringLiteral("Сохранить как..."));
  SpeedItem_DecodeData->setToolTip(QStringLiteral("Расшифровка данных"));
  SetStatusHint(SpeedBar3->FindItemByName("SpeedBtn_WWW")->Button(), SpeedBtn_WWW->text());
  SetStatusHint(SpeedBar3->FindItemByName("SpeedBtn_Mail")->Button(), SpeedBtn_Mail->text());
  for (QWidget* area :
       {static_cast<QWidget*>(SpeedBar_Find), static_cast<QWidget*>(SpeedBar1),
        static_cast<QWidget*>(ST_InfoDir), Panel1, static_cast<QWidget*>(PageControl1),
        static_cast<QWidget*>(PageControl1->tabBar()), centralWidget(),
        static_cast<QWidget*>(this)}) {
    SetStatusHint(area, QString());
  }
  SetStatusHint(TabSheet_TableTP, QStringLiteral("Таблица перегрузок"));
  ListView1->viewport()->setMouseTracking(true);
  ListView1->viewport()->installEventFilter(this);
}

bool TForm_main::ShowStatusHint(QObject* watched, QEvent* event) {
  QPointF at;
  if (event->type() == QEvent::MouseMove) {
    at = static_cast<QMouseEvent*>(event)->position();
  } else if (event->type() == QEvent::Enter) {
    at = static_cast<QEnterEvent*>(event)->position();
  } else {
    return false;
  }
  auto* area = qobject_cast<QWidget*>(watched);
  if (!area) return false;

  if (area == ListView1->viewport()) {
    SetStatusPanel0(ListView1->topLevelItemCount() > 0
                        ? QStringLiteral(" Дважды щелкните по записи для просмотра")
                        : QStringLiteral(" Выберите каталог с данными"));
    return true;
  }
  for (StringGrid* grid : {SG_TPCR, SG_TP, SG_TPCR_Find}) {
    if (area == grid->viewport() || area == grid->horizontalHeader()) {
      const int col = grid->columnAt(int(at.x()));
      const bool known = col >= 0 && col < int(OpenFile.ColumnDescriptions.size());
      SetStatusPanel0(known ? OpenFile.ColumnDescriptions[std::size_t(col)] : QString());
      return true;
    }
  }
  const QVariant hint = area->property(kStatusHint);
  // A move over a child of the area belongs to the child.
  if (!hint.isValid() || area->childAt(at.toPoint())) return false;
  SetStatusPanel0(hint.toString());
  return true;
}
