#include "mainwindow/program_picture.h"

#include <QPainter>

QPixmap ProgramPicture(int side) {
  QPixmap picture(side, side);
  picture.fill(Qt::transparent);
  QPainter p(&picture);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(0x1f, 0x4e, 0x8c));
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(picture.rect().adjusted(2, 2, -2, -2), side / 8, side / 8);
  p.setPen(QPen(QColor(0xf2, 0xb7, 0x05), side / 14));
  p.drawLine(side * 3 / 10, side * 8 / 10, side * 3 / 10, side * 2 / 10);
  p.drawLine(side * 2 / 10, side * 3 / 10, side * 8 / 10, side * 3 / 10);
  p.setPen(QPen(Qt::white, side / 30));
  p.drawLine(side * 7 / 10, side * 3 / 10, side * 7 / 10, side * 6 / 10);
  return picture;
}

QIcon ProgramIcon() {
  QIcon icon;
  for (int side : kProgramIconSizes) icon.addPixmap(ProgramPicture(side));
  return icon;
}
