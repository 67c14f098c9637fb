#include "controls/browse_directory.h"

#include <QFileInfo>

#include "platform/dialog_services.h"

bool BrowseDirectory(QString& folder, const QString& dlgText, int /*helpContext*/) {
  const bool preselect = !folder.isEmpty() && QFileInfo(folder).isDir();
  QString chosen = GetExistingDirectory({dlgText, preselect ? folder : QString()});
  if (chosen.isEmpty()) return false;
  while (chosen.size() > 1 && chosen.endsWith(u'/')) chosen.chop(1);
  folder = chosen;
  return true;
}
