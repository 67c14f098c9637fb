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
  // Each tool item's hint as the window gives it; the status line shows it too, except for
  // the two items whose hint is a tool tip only.
  const struct {
    QAction* command;
    QString hint;
    bool status;
  } items[] = {
      {SpeedBtn_Read, "Считать...", true},
      {SpeedItem_SelectDir, "Выбрать каталог...", true},
      {SpeedItem_SaveAs, "Сохранить как...", false},
      {SpeedItem_AddFile, "Добавить файл...", true},
      {SpeedItem_DelFile, "Удалить файл", true},
      {SpeedItem_Print, "Печать...", true},
      {SpeedItem_Spisok, "Список файлов", true},
      {SpeedItem_Table, "Оперативная информация в виде таблицы", true},
      {SpeedItem_TableTP, "Таблица перегрузок", true},
      {SpeedItem_Peregr, "Долговременная информация", true},
      {SpeedItem_Graf, "Оперативная информация в виде графиков", true},
      {SpeedItem_DecodeData, "Расшифровка данных", false},
      {SpeedBtn_Find, "Поиск...", true},
      {SpeedBtn_Refresh, "Обновить", true},
      {SpeedBtn_About, "О программе", true},
      {SpeedBtn_WWW, SpeedBtn_WWW->text(), true},
      {SpeedBtn_Mail, SpeedBtn_Mail->text(), true},
      {SpeedBtn_Exit, "Выйти из программы", true},
  };
  for (const auto& [command, hint, status] : items) {
    for (TSpeedBar* bar : {SpeedBar1, SpeedBar_Find, SpeedBar3}) {
      TSpeedItem* item = bar->FindItemByName(command->objectName());
      if (!item) continue;
      item->SetHint(hint);
      if (status) SetStatusHint(item->Button(), hint);
    }
  }
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
    const QHeaderView* titles = grid->horizontalHeader();
    if (area == grid->viewport() || area == titles || area == titles->viewport()) {
      // Over the title row as over the records: the column at the same place in the records.
      const int x = grid->viewport()->mapFromGlobal(area->mapToGlobal(at)).toPoint().x();
      if (grid == SG_TP)
        SG_TPMouseMove(x);
      else
        SG_TPCRMouseMove(x);
      return true;
    }
  }
  const QVariant hint = area->property(kStatusHint);
  // A move over a child of the area belongs to the child.
  if (!hint.isValid() || area->childAt(at.toPoint())) return false;
  SetStatusPanel0(hint.toString());
  return true;
}
