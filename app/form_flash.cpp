#include "app/form_flash.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPixmap SplashPicture(QSize size) {
  QPixmap picture(size);
  QPainter p(&picture);
  QLinearGradient sky(0, 0, 0, size.height());
  sky.setColorAt(0, QColor(0x1f, 0x4e, 0x8c));
  sky.setColorAt(1, QColor(0xc8, 0xd8, 0xec));
  p.fillRect(picture.rect(), sky);
  // A jib crane: mast, jib and hook line.
  p.setPen(QPen(QColor(0xf2, 0xb7, 0x05), 6));
  const int ground = size.height() - 40;
  p.drawLine(90, ground, 90, 60);
  p.drawLine(60, 70, size.width() - 40, 70);
  p.setPen(QPen(Qt::black, 2));
  p.drawLine(size.width() - 80, 70, size.width() - 80, ground - 50);
  p.fillRect(size.width() - 95, ground - 50, 30, 20, Qt::darkGray);
  p.setPen(Qt::white);
  QFont font = p.font();
  font.setPixelSize(30);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRect(0, ground - 10, size.width(), 40), Qt::AlignCenter, QStringLiteral("Jibwarden"));
  return picture;
}

}  // namespace

TForm_Flash::TForm_Flash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("Form_Flash"));
  setWindowTitle(QStringLiteral("Jibwarden"));
  setFixedSize(344, 275);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  layout->addWidget(Panel1);
  auto* inner = new QVBoxLayout(Panel1);
  inner->setContentsMargins(1, 1, 1, 1);
  Image1 = new QLabel(Panel1);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setScaledContents(true);
  Image1->setPixmap(SplashPicture(QSize(342, 273)));
  inner->addWidget(Image1);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}
