#pragma once
// One record row of a record grid in plain words, as the decoded-record windows show it.
// The columns are read at their device-type-2 places whatever the file's type.

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

// What one record gives the window, in the order the window takes it. A cell that does not
// convert stops the decoding there: the later parts stay unset and Error says why, so the
// window keeps what it had for them.
struct DecodedRecord {
  QString MzText, QText, LText, RText;
  std::optional<bool> Overload;        // load degree 105 % or more
  std::optional<bool> RmaxOn, RminOn;  // radius limit flags
  std::optional<QString> Equipment;
  std::optional<QString> Contour;
  std::optional<QString> Reeving;
  std::vector<DecodedLamp> Lamps;  // empty when not reached
  // Unset: the message list is not touched; set: cleared, then these lines.
  std::optional<QStringList> Messages;
  QString Error;
};

// Decodes row `row` of a record grid for the window of the variant. A signal character
// beyond the end of its column counts as neither "0" nor "1".
DecodedRecord DecodeRecordRow(const GridModel& grid, int row, DecodedVariant variant);
