#pragma once

#include <QString>

// The user's base folders by the XDG base-directory rules: the variable's value when it is an
// absolute path (a relative one is ignored), else the default under HOME when that is absolute;
// empty when neither is known, so that nothing lands under the folder the program started in.
QString UserDataHome();    // $XDG_DATA_HOME, else $HOME/.local/share
QString UserConfigHome();  // $XDG_CONFIG_HOME, else $HOME/.config

// The program's own folders in those (the organization's and application's names below the
// home); empty when the home is unknown.
QString AppDataHome();
QString AppConfigHome();
