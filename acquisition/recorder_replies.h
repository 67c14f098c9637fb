#pragma once
// The recorder's replies to "I", "N", "P", "M", "D", "C" and "T", read from their data part
// (the reply without its first byte; numbers little-endian). Parse gives nothing when the
// data part is too short for what the reply holds, so no step reads past a short reply.

#include "archive/number_text.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

struct TIdentReply {
  static constexpr qsizetype MinSize = 1;
  quint8 DeviceTypeCode = 0;
  quint8 DeviceVariant = 0;  // 0 when the reply has no second byte
  static std::optional<TIdentReply> Parse(QByteArrayView data);
};

struct TCraneNameReply {
  static constexpr qsizetype MinSize = 0;
  static constexpr qsizetype NameLength = 16;
  QByteArray Name;  // display characters; fewer than 16 from a shorter reply
  QString Text() const;
  static std::optional<TCraneNameReply> Parse(QByteArrayView data);
};

struct TNumberReply {
  static constexpr qsizetype MinSize = 6;
  quint32 DeviceNumber = 0;  // 24-bit
  quint32 CraneNumber = 0;   // 24-bit
  static std::optional<TNumberReply> Parse(QByteArrayView data);
};

// Rated load, maximum radius, maximum hook height and maximum boom length in 1/256 units.
struct TMaximaReply {
  static constexpr int Count = 4;
  static constexpr qsizetype MinSize = 2 * Count;
  std::array<quint16, Count> Values{};
  // required: how many leading values the reply must hold; the others read as 0.
  static std::optional<TMaximaReply> Parse(QByteArrayView data, int required = Count);
};

struct TClockReply {
  static constexpr qsizetype MinSize = 4;
  TPackedDateTime Clock;
  static std::optional<TClockReply> Parse(QByteArrayView data);
};

// Load-cycle counters and long-term values.
struct TCyclesReply {
  static constexpr qsizetype MinSize = 25;
  std::array<quint32, 5> Bands{};  // 24-bit load-band counters, bands 1 to 5
  quint32 TotalCycles = 0;         // 24-bit
  quint16 MotoHours = 0;
  quint32 Np = 0;  // 24-bit
  quint8 Km = 0;   // load-spectrum class
  quint8 T0 = 0;   // time to maintenance
  static std::optional<TCyclesReply> Parse(QByteArrayView data);
};

struct TTableInfoReply {
  static constexpr qsizetype MinSize = 8;
  quint16 OperationalCount = 0;
  quint16 OverloadCount = 0;
  quint16 OperationalRingPosition = 0;
  quint16 OverloadRingPosition = 0;
  static std::optional<TTableInfoReply> Parse(QByteArrayView data);
};
