#pragma once
// The splash window shown for the first second of the program.

#include <QWidget>

class QFrame;
class QLabel;

class TForm_Flash : public QWidget {
  Q_OBJECT
 public:
  explicit TForm_Flash(QWidget* parent = nullptr);

  QFrame* Panel1;
  QLabel* Image1;
};
