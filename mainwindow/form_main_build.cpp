// Building the main window: commands, menus, tool bars, the list page, status bar, reading panel.
#include "controls/ctl_utils.h"
#include "controls/speed_bar.h"
#include "mainwindow/archive_list.h"
#include "mainwindow/form_main.h"

#include <QActionGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>

namespace {

// One command of the window: the action member it fills, its object name, text, icon,
// shortcut and the handler it runs.
struct ActionSpec {
  QAction* TForm_main::*action;
  const char* name;
  QString text;
  std::optional<QStyle::StandardPixmap> icon;
  QKeyCombination shortcut;
  void (TForm_main::*handler)();
};

constexpr std::nullopt_t kNoIcon = std::nullopt;
constexpr QKeyCombination kNoKey = QKeyCombination::fromCombined(0);

}  // namespace

void TForm_main::BuildActions() {
  using W = TForm_main;
  using S = QStyle;
  const ActionSpec kActions[] = {
      // Tool items: the text is the item's hint.
      {&W::SpeedBtn_Read, "SpeedBtn_Read", "Считать данные нового регистратора", S::SP_ArrowDown,
       kNoKey, &W::SpeedBtn_ReadClick},
      {&W::SpeedItem_SelectDir, "SpeedItem_SelectDir", "Выбрать каталог с данными",
       S::SP_DirOpenIcon, kNoKey, &W::SpeedItem_SelectDirClick},
      {&W::SpeedItem_SaveAs, "SpeedItem_SaveAs", "Сохранить как", S::SP_DialogSaveButton, kNoKey,
       &W::SpeedItem_SaveAsClick},
      {&W::SpeedItem_AddFile, "SpeedItem_AddFile", "Добавить данные в список",
       S::SP_FileDialogNewFolder, kNoKey, &W::SpeedItem_AddFileClick},
      {&W::SpeedItem_DelFile, "SpeedItem_DelFile", "Удалить данные из списка", S::SP_TrashIcon,
       kNoKey, &W::SpeedItem_DelFileClick},
      {&W::SpeedItem_Print, "SpeedItem_Print", "Печать", S::SP_ComputerIcon, kNoKey,
       &W::SpeedItem_PrintClick},
      {&W::SpeedItem_Spisok, "SpeedItem_Spisok", "Список файлов", S::SP_FileDialogListView, kNoKey,
       &W::SpeedItem_SpisokClick},
      {&W::SpeedItem_Table, "SpeedItem_Table", "Оперативная информация в виде таблицы",
       S::SP_FileDialogDetailedView, kNoKey, &W::SpeedItem_TableClick},
      {&W::SpeedItem_TableTP, "SpeedItem_TableTP", "Таблица перегрузок", S::SP_MessageBoxWarning,
       kNoKey, &W::SpeedItem_TableTPClick},
      {&W::SpeedItem_Peregr, "SpeedItem_Peregr", "Долговременная информация",
       S::SP_FileDialogInfoView, kNoKey, &W::SpeedItem_PeregrClick},
      {&W::SpeedItem_Graf, "SpeedItem_Graf", "Оперативная информация в виде графиков",
       S::SP_FileDialogContentsView, kNoKey, &W::SpeedItem_GrafClick},
      {&W::SpeedItem_DecodeData, "SpeedItem_DecodeData", "Расшифровка данных",
       S::SP_FileDialogStart, kNoKey, &W::N_DecodeDataClick},
      {&W::SpeedBtn_Find, "SpeedBtn_Find", "Поиск значений", S::SP_FileDialogToParent, kNoKey,
       &W::SpeedBtn_FindClick},
      {&W::SpeedBtn_Refresh, "SpeedBtn_Refresh", "Обновить таблицу", S::SP_BrowserReload, kNoKey,
       &W::SpeedBtn_RefreshClick},
      {&W::SpeedBtn_About, "SpeedBtn_About", "О программе", S::SP_MessageBoxInformation, kNoKey,
       &W::SpeedBtn_AboutClick},
      {&W::SpeedBtn_WWW, "SpeedBtn_WWW", QStringLiteral("Посетить ") + kMakerWebAddress,
       S::SP_DriveNetIcon, kNoKey, &W::SpeedBtn_WWWClick},
      {&W::SpeedBtn_Mail, "SpeedBtn_Mail", QStringLiteral("Написать письмо ") + kMakerMailAddress,
       S::SP_DialogYesButton, kNoKey, &W::SpeedBtn_MailClick},
      {&W::SpeedBtn_Exit, "SpeedBtn_Exit", "Выйти из программы", S::SP_DialogCloseButton, kNoKey,
       &W::SpeedBtn_ExitClick},
      // Main menu items.
      {&W::N_Read, "N_Read", "Считать...", kNoIcon, Qt::CTRL | Qt::Key_N, &W::SpeedBtn_ReadClick},
      {&W::N_SelectDir, "N_SelectDir", "Выбрать каталог...", kNoIcon, kNoKey,
       &W::SpeedItem_SelectDirClick},
      {&W::N_SaveAs, "N_SaveAs", "Сохранить как...", kNoIcon, kNoKey, &W::SpeedItem_SaveAsClick},
      {&W::N_AddFile, "N_AddFile", "Добавить файл...", kNoIcon, kNoKey, &W::SpeedItem_AddFileClick},
      {&W::N_DelFile, "N_DelFile", "Удалить файл", kNoIcon, Qt::Key_Delete,
       &W::SpeedItem_DelFileClick},
      {&W::N_Print, "N_Print", "Печать...", kNoIcon, Qt::CTRL | Qt::Key_P,
       &W::SpeedItem_PrintClick},
      {&W::N_Exit, "N_Exit", "Выход", kNoIcon, kNoKey, &W::SpeedBtn_ExitClick},
      {&W::N_Spisok, "N_Spisok", "Список файлов", kNoIcon, Qt::Key_F2, &W::SpeedItem_SpisokClick},
      {&W::N_Table, "N_Table", "Оперативная информация в виде таблицы", kNoIcon, Qt::Key_F3,
       &W::SpeedItem_TableClick},
      {&W::N_TableTP, "N_TableTP", "Таблица перегрузок", kNoIcon, Qt::Key_F4,
       &W::SpeedItem_TableTPClick},
      {&W::N_Peregr, "N_Peregr", "Долговременная информация", kNoIcon, Qt::Key_F5,
       &W::SpeedItem_PeregrClick},
      {&W::N_Graf, "N_Graf", "Оперативная информация в виде графиков", kNoIcon, Qt::Key_F6,
       &W::SpeedItem_GrafClick},
      {&W::N_DecodeData, "N_DecodeData", "Расшифровка данных", kNoIcon, Qt::Key_F7,
       &W::N_DecodeDataClick},
      {&W::N_Find, "N_Find", "Поиск...", kNoIcon, Qt::CTRL | Qt::Key_F, &W::SpeedBtn_FindClick},
      {&W::N_Refresh, "N_Refresh", "Обновить", kNoIcon, Qt::CTRL | Qt::Key_R,
       &W::SpeedBtn_RefreshClick},
      {&W::N_Help, "N_Help", "Вызов справки", kNoIcon, Qt::Key_F1, &W::N_HelpClick},
      {&W::N_WWW, "N_WWW", "Посетить сайт...", kNoIcon, kNoKey, &W::N_WWWClick},
      {&W::N_Mail, "N_Mail", "Написать письмо разработчикам", kNoIcon, kNoKey, &W::N_MailClick},
      {&W::N_About, "N_About", "О программе...", kNoIcon, kNoKey, &W::N_AboutClick},
      // Context menu items of the list.
      {&W::N_popRead, "N_popRead", "Считать...", kNoIcon, kNoKey, &W::SpeedBtn_ReadClick},
      {&W::N_popSaveAs, "N_popSaveAs", "Сохранить как...", kNoIcon, kNoKey,
       &W::SpeedItem_SaveAsClick},
      {&W::N_popAddFile, "N_popAddFile", "Добавить файл...", kNoIcon, kNoKey,
       &W::SpeedItem_AddFileClick},
      {&W::N_popDelFile, "N_popDelFile", "Удалить файл", kNoIcon, kNoKey,
       &W::SpeedItem_DelFileClick},
  };
  for (const ActionSpec& spec : kActions) {
    const QIcon icon = spec.icon ? style()->standardIcon(*spec.icon) : QIcon();
    QAction* action = this->*spec.action = new QAction(icon, spec.text, this);
    action->setObjectName(QString::fromLatin1(spec.name));
    if (spec.shortcut != kNoKey) action->setShortcut(QKeySequence(spec.shortcut));
  }

  ViewItems = new QActionGroup(this);
  ViewItems->setObjectName(QStringLiteral("ViewItems"));
  for (QAction* item :
       {SpeedItem_Spisok, SpeedItem_Table, SpeedItem_TableTP, SpeedItem_Peregr, SpeedItem_Graf}) {
    item->setCheckable(true);
    ViewItems->addAction(item);
  }
  SpeedItem_Spisok->setChecked(true);

  // After the view group has joined its items: the group hears a trigger first.
  for (const ActionSpec& spec : kActions)
    connect(this->*spec.action, &QAction::triggered, this, spec.handler);
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
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedHeight(31);
  // Each item follows the command it shares with the menus: state and click. Its hint is the
  // one the window gives it (BuildStatusHints), never one its caption made.
  // Each bar is built as a window description loads it: its properties, its items, then
  // Loaded places and sizes them all at once.
  auto bar = [this](const QString& name, Sb::TAlign align, const QList<QList<QAction*>>& groups) {
    auto* b = new TSpeedBar(Panel1);
    b->Loading();
    b->SetInternalVer(Sb::kInternalVersion);
    b->setObjectName(name);
    b->SetPosition(Sb::bpCustom);
    b->SetAlign(align);
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
        // The glyph is 18 x 18 pixels at any screen scale and the button enlarges it with
        // its face, so the icon is asked for at a pixel ratio of 1, not the screen's: the
        // screen's would give more pixels than the glyph takes, and the icon's drawing for a
        // larger size is not the same picture.
        const QImage icon = action->icon()
                                .pixmap(QSize(18, 18), 1.0)
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
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
        };
        follow();
        connect(action, &QAction::changed, item, follow);
        connect(item, &TSpeedItem::OnClick, action, [action] { action->trigger(); });
      }
      left += b->GridSize().width();  // a gap between groups
    }
    b->resize(left - b->GridSize().width() + b->BtnOffsetHorz(), 29);
    b->Loaded();
    return b;
  };
  // The bars take the panel's edges in creation order: SpeedBar_Find after SpeedBar1.
  SpeedBar1 =
      bar("SpeedBar1", Sb::alLeft,
          {{SpeedBtn_Read, SpeedItem_SelectDir, SpeedItem_SaveAs, SpeedItem_AddFile,
            SpeedItem_DelFile, SpeedItem_Print},
           {SpeedItem_Spisok, SpeedItem_Table, SpeedItem_TableTP, SpeedItem_Peregr, SpeedItem_Graf},
           {SpeedItem_DecodeData}});
  SpeedBar_Find = bar("SpeedBar_Find", Sb::alLeft, {{SpeedBtn_Find, SpeedBtn_Refresh}});
  SpeedBar3 =
      bar("SpeedBar3", Sb::alRight, {{SpeedBtn_About, SpeedBtn_WWW, SpeedBtn_Mail, SpeedBtn_Exit}});
  SpeedBar3->setMaximumWidth(250);
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
  // Tabs only a little wider than their captions (six pixels on each side): the five then
  // stand whole side by side at the window's size.
  QStyle* tabStyle = NewMetricStyle(QStyle::PM_TabBarTabHSpace, 12);
  tabStyle->setParent(PageControl1->tabBar());
  PageControl1->tabBar()->setStyle(tabStyle);
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
