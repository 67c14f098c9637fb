// Building the main window: commands, menus, tool bars, the list page, status bar, reading panel.
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
#include <QTabWidget>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

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
  bind({SpeedBtn_About}, &TForm_main::SpeedBtn_AboutClick);
  bind({N_About}, &TForm_main::N_AboutClick);
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
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedHeight(31);
  // Each item follows the command it shares with the menus: state, hint and click.
  auto bar = [this](const QString& name, Sb::TAlign align, const QList<QList<QAction*>>& groups) {
    auto* b = new TSpeedBar(Panel1);
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
