#pragma once

#include <QString>

// Lets the user choose a folder through the folder-dialog service, titled dlgText.
// An existing `folder` is preselected, any other opens the dialog without a
// selection. On a choice `folder` becomes the chosen path without a trailing
// separator (the root stays "/") and the result is true; on Cancel `folder` is left
// as it was and the result is false. There is no help button: helpContext is
// accepted for the callers' sake and not used.
bool BrowseDirectory(QString& folder, const QString& dlgText, int helpContext = 0);
