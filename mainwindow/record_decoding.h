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

// What one record gives the window. A part left unset keeps what the window showed: the
// row is not of device type 2, or its cell does not convert.
struct DecodedRecord {
  QString MzText, QText, LText, RText;
  std::optional<bool> Overload;        // load degree 105 % or more
  std::optional<bool> RmaxOn, RminOn;  // radius limit flags
  std::optional<QString> Equipment;
  std::optional<QString> Contour;
  std::optional<QString> Reeving;
  std::vector<DecodedLamp> Lamps;  // empty when not read
  // The message list is always cleared, then takes these lines.
  QStringList Messages;
};

// Decodes row `row` of a record grid for the window of the variant. The columns are those of
// device type 2: a row of another type gives only the four texts as they stand. A cell that
// does not convert leaves its part unset and adds no message. A signal character beyond the
// end of its column counts as neither "0" nor "1".
DecodedRecord DecodeRecordRow(const GridModel& grid, int row, DecodedVariant variant,
                              int deviceType);
