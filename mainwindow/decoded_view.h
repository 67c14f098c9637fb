#pragma once
// The common frame of the two decoded-record windows: the texts, the radius labels, the
// message list and the indicator lamps over the window's own bitmap list.

#include <QDialog>
#include <QPoint>
#include <QSize>

#include <optional>
#include <vector>

class QFrame;
class QLabel;
class QPlainTextEdit;
class TBmBitmapImage;
class TBmBitmapList;
struct DecodedRecord;

class DecodedRecordWindow : public QDialog {
  Q_OBJECT
 public:
  QFrame* Panel3;
  QLabel* stMz;
  QLabel* stR;
  QLabel* stQ;
  QLabel* stL;
  QLabel* stC;
  QLabel* stK;
  QLabel* stNp;
  QLabel* LabRmax;
  QLabel* labRmin;
  QFrame* Panel6;
  QFrame* Panel14;
  QPlainTextEdit* memoMessage;
  TBmBitmapList* BmBitmapList1;

 protected:
  static constexpr QSize kMotion{20, 20};
  static constexpr QSize kRelay{80, 20};
  // One lamp: lit on picture litIndex, dark on litIndex + 1.
  struct Indicator {
    const char* name;
    QPoint place;
    QSize size;
    const char* hint;
    int litIndex;
    bool startsLit;
  };
  // relayPictures: the 80 x 20 pictures after the sixteen motion pictures.
  DecodedRecordWindow(const QString& name, const QString& caption, int relayPictures,
                      const std::vector<Indicator>& indicators, QWidget* parent);

  TBmBitmapImage* IndicatorNamed(const QString& name) const;
  // Shows what the decoding gave; a row that did not convert leaves the window as it was.
  void ShowDecoded(const std::optional<DecodedRecord>& record);

 private:
  // The picture of a window before its first record, beside the four texts.
  void ShowStartUpPicture();

  struct Lamp {
    TBmBitmapImage* image;
    int litIndex;
    bool startsLit;
  };
  std::vector<Lamp> indicators_;
};
