// The status-bar hints of the areas the mouse moves over.
#include "controls/speed_bar.h"
#include "mainwindow/form_main.h"
#include "mainwindow/string_grid.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

namespace {

// The status-bar text of an area the mouse moves over.
const char* const kStatusHint = "statusHint";

}  // namespace

void TForm_main::SetStatusHint(QWidget* area, const QString& text) {
  area->setProperty(kStatusHint, text);
  area->setMouseTracking(true);
  area->installEventFilter(this);
}

void TForm_main::BuildStatusHints() {
  // Each tool item's status text, and its own hint where that is not its caption: the
  // others keep the hint their caption gave them.
  const struct {
    QAction* command;
    const char* status;  // null: the hint shows as a tool tip only
    const char* hint;    // null: the caption's
  } items[] = {
      {SpeedBtn_Read, "Считать...", "Считать..."},
      {SpeedItem_SelectDir, "Выбрать каталог...", "Выбрать каталог..."},
      {SpeedItem_SaveAs, nullptr, "Сохранить как..."},
      {SpeedItem_AddFile, "Добавить файл...", "Добавить файл..."},
      {SpeedItem_DelFile, "Удалить файл", "Удалить файл"},
      {SpeedItem_Print, "Печать...", "Печать..."},
      {SpeedItem_Spisok, "Список файлов", nullptr},
      {SpeedItem_Table, "Оперативная информация в виде таблицы", nullptr},
      {SpeedItem_TableTP, "Таблица перегрузок", nullptr},
      {SpeedItem_Peregr, "Долговременная информация", nullptr},
      {SpeedItem_Graf, "Оперативная информация в виде графиков", nullptr},
      {SpeedItem_DecodeData, nullptr, nullptr},
      {SpeedBtn_Find, "Поиск...", "Поиск..."},
      {SpeedBtn_Refresh, "Обновить", "Обновить"},
      {SpeedBtn_About, "О программе", nullptr},
      {SpeedBtn_Exit, "Выйти из программы", nullptr},
  };
  for (const auto& [command, status, hint] : items) {
    for (TSpeedBar* bar : {SpeedBar1, SpeedBar_Find, SpeedBar3}) {
      TSpeedItem* item = bar->FindItemByName(command->objectName());
      if (!item) continue;
      if (hint) item->SetHint(QString::fromUtf8(hint));
      if (status) SetStatusHint(item->Button(), QString::fromUtf8(status));
    }
  }
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
      if (grid == SG_TP)
        SG_TPMouseMove(int(at.x()));
      else
        SG_TPCRMouseMove(int(at.x()));
      return true;
    }
  }
  const QVariant hint = area->property(kStatusHint);
  // A move over a child of the area belongs to the child.
  if (!hint.isValid() || area->childAt(at.toPoint())) return false;
  SetStatusPanel0(hint.toString());
  return true;
}
