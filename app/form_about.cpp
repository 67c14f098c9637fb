#include "app/form_about.h"

#include "acquisition/window_parts.h"
#include "controls/xc_label.h"
#include "mainwindow/form_main.h"
#include "mainwindow/program_picture.h"
#include "platform/dialog_services.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

TForm_About::TForm_About(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Form_About"));
  setWindowTitle(QStringLiteral("О программе "));
  setFixedSize(395, 256);

  auto* outer = new QVBoxLayout(this);
  Panel1 = Named(new QFrame(this), QStringLiteral("Panel1"));
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  outer->addWidget(Panel1, 1);
  auto* grid = new QGridLayout(Panel1);
  grid->setContentsMargins(8, 6, 8, 4);
  grid->setVerticalSpacing(2);

  ProgramIcon = Named(new QLabel(Panel1), QStringLiteral("ProgramIcon"));
  ProgramIcon->setFixedSize(105, 105);
  ProgramIcon->setPixmap(ProgramPicture(105));
  ProgramIcon->setCursor(Qt::PointingHandCursor);
  ProgramIcon->installEventFilter(this);
  grid->addWidget(ProgramIcon, 0, 0, 3, 1, Qt::AlignTop);

  ProductName = Named(new QLabel(Panel1), QStringLiteral("ProductName"));
  ProductName->setText(QStringLiteral(
      "Программа для считывания, хранения, анализа и оформления данных регистраторов "
      "параметров."));
  ProductName->setWordWrap(true);
  Version = Named(new QLabel(QStringLiteral("Версия 2.0 (01.03.2004)"), Panel1),
                  QStringLiteral("Version"));
  Comments = Named(new QLabel(QStringLiteral("Jibwarden"), Panel1), QStringLiteral("Comments"));
  grid->addWidget(ProductName, 0, 1, 1, 3);
  grid->addWidget(Version, 1, 1, 1, 3);
  grid->addWidget(Comments, 2, 1, 1, 3);

  Bevel1 = Named(new QFrame(Panel1), QStringLiteral("Bevel1"));
  Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  grid->addWidget(Bevel1, 3, 0, 1, 4);

  auto link = [this](const QString& name, const QString& text, const QString& hint) {
    TXcLabel* label = Named(new TXcLabel(Panel1), name);
    label->SetCaption(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setForegroundRole(QPalette::ButtonText);
    label->setCursor(Qt::PointingHandCursor);
    label->SetHint(hint);
    label->SetShowHint(true);
    // The label sizes itself to its caption; the layout keeps that size.
    label->setFixedSize(label->size());
    return label;
  };
  lbWWWTitle = Named(new QLabel(QStringLiteral("Web-сайт"), Panel1), QStringLiteral("lbWWWTitle"));
  lbWWW = link(QStringLiteral("lbWWW"), kMakerWebAddress, QStringLiteral("Посетить наш Web-сайт"));
  lbEMailTitle =
      Named(new QLabel(QStringLiteral("E-mail"), Panel1), QStringLiteral("lbEMailTitle"));
  lbEMail =
      link(QStringLiteral("lbEMail"), kMakerMailAddress, QStringLiteral("Написать нам письмо"));
  grid->addWidget(lbWWWTitle, 4, 0, Qt::AlignRight);
  grid->addWidget(new QLabel(QStringLiteral(":"), Panel1), 4, 1);
  grid->addWidget(lbWWW, 4, 2, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
  grid->addWidget(lbEMailTitle, 5, 0, Qt::AlignRight);
  grid->addWidget(new QLabel(QStringLiteral(":"), Panel1), 5, 1);
  grid->addWidget(lbEMail, 5, 2, 1, 2, Qt::AlignLeft | Qt::AlignVCenter);
  connect(lbWWW, &TXcLabel::OnClick, this, &TForm_About::ProgramIconClick);
  connect(lbEMail, &TXcLabel::OnClick, this, &TForm_About::lbEMailClick);

  SmallIcon = Named(new QLabel(Panel1), QStringLiteral("SmallIcon"));
  SmallIcon->setFixedSize(32, 32);
  SmallIcon->setPixmap(ProgramPicture(32));
  SmallIcon->setToolTip(QStringLiteral("Click twice here!"));
  grid->addWidget(SmallIcon, 6, 0, Qt::AlignLeft);
  grid->setColumnStretch(3, 1);

  OKButton = Named(new QPushButton(QStringLiteral("Закрыть"), this), QStringLiteral("OKButton"));
  OKButton->setDefault(true);
  outer->addWidget(OKButton, 0, Qt::AlignHCenter);
  connect(OKButton, &QPushButton::clicked, this, &TForm_About::OKButtonClick);

  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

bool TForm_About::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    if (watched == ProgramIcon) {
      ProgramIconClick();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TForm_About::ProgramIconClick() {
  ShellOpen(kMakerWebAddress);
}

void TForm_About::lbEMailClick() {
  ShellOpen(MakerMailLink());
}

void TForm_About::OKButtonClick() {
  done(1);
}
