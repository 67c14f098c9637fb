#pragma once
// The program's own picture: the About window shows it, the windows and the ".bbi" type carry it
// as their icon.

#include <QIcon>
#include <QPixmap>

QPixmap ProgramPicture(int side);

// The sizes the icon is drawn in, for windows and for the desktop's icon theme.
inline constexpr int kProgramIconSizes[] = {16, 24, 32, 48, 64, 128, 256};
QIcon ProgramIcon();
