#pragma once
// One record row of a record grid in plain words, as the decoded-record windows show it.

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class GridModel;

enum class DecodedVariant { Variant10, Variant02 };

// Boom equipment code to its text; an unknown code is "Нет оборудования".
QString EquipmentText(int code);
// Outrigger contour code to its text; an unknown code is empty.
QString ContourText(int code);

// A lamp of the window: the image's name and whether it shows its lit picture.
struct DecodedLamp {
  QString image;
  bool lit = false;
};

// What one record gives the window.
struct DecodedRecord {
  QString MzText, QText, LText, RText;
  bool Overload = false;  // load degree 105 % or more
  // The rest holds only for a row of device type 2. A row of another type has other fields at
  // these columns: its window shows its start-up picture beside the four texts.
  bool TypeTwo = false;
  bool RmaxOn = false, RminOn = false;  // radius limit flags
  QString Equipment, Contour, Reeving;
  std::vector<DecodedLamp> Lamps;
  // The message list is cleared, then takes these lines.
  QStringList Messages;
};

// Decodes row `row` of a record grid for the window of the variant, by the columns of device
// type 2. None when a cell the decoding converts does not convert (the empty row of an empty
// table): the window keeps what it showed. A signal character beyond the end of its column
// counts as neither "0" nor "1".
std::optional<DecodedRecord> DecodeRecordRow(const GridModel& grid, int row, DecodedVariant variant,
                                             int deviceType);
