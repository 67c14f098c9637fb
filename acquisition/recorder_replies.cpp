#include "acquisition/recorder_replies.h"

#include "acquisition/record_decoder.h"

namespace {

quint32 Little(QByteArrayView data, qsizetype first, int bytes) {
  quint32 value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = value << 8 | static_cast<unsigned char>(data[first + i]);
  return value;
}

}  // namespace

std::optional<TIdentReply> TIdentReply::Parse(QByteArrayView data) {
  if (data.size() < MinSize) return std::nullopt;
  TIdentReply reply;
  reply.DeviceTypeCode = static_cast<quint8>(data[0]);
  if (data.size() >= 2) reply.DeviceVariant = static_cast<quint8>(data[1]);
  return reply;
}

QString TCraneNameReply::Text() const {
  return ConvertDeviceText(Name);
}

std::optional<TCraneNameReply> TCraneNameReply::Parse(QByteArrayView data) {
  TCraneNameReply reply;
  reply.Name = data.first(qMin(data.size(), NameLength)).toByteArray();
  return reply;
}

std::optional<TNumberReply> TNumberReply::Parse(QByteArrayView data) {
  if (data.size() < MinSize) return std::nullopt;
  TNumberReply reply;
  reply.DeviceNumber = Little(data, 0, 3);
  reply.CraneNumber = Little(data, 3, 3);
  return reply;
}

std::optional<TMaximaReply> TMaximaReply::Parse(QByteArrayView data, int required) {
  if (data.size() < 2 * qBound(0, required, Count)) return std::nullopt;
  TMaximaReply reply;
  for (int k = 0; k < Count && 2 * k + 2 <= data.size(); ++k)
    reply.Values[std::size_t(k)] = quint16(Little(data, 2 * k, 2));
  return reply;
}

std::optional<TClockReply> TClockReply::Parse(QByteArrayView data) {
  if (data.size() < MinSize) return std::nullopt;
  return TClockReply{TPackedDateTime::FromBytes(data)};
}

std::optional<TCyclesReply> TCyclesReply::Parse(QByteArrayView data) {
  if (data.size() < MinSize) return std::nullopt;
  TCyclesReply reply;
  for (int band = 0; band < 5; ++band) reply.Bands[std::size_t(band)] = Little(data, 3 * band, 3);
  reply.TotalCycles = Little(data, 15, 3);
  reply.MotoHours = quint16(Little(data, 18, 2));
  reply.Np = Little(data, 20, 3);
  reply.Km = static_cast<quint8>(data[23]);
  reply.T0 = static_cast<quint8>(data[24]);
  return reply;
}

std::optional<TTableInfoReply> TTableInfoReply::Parse(QByteArrayView data) {
  if (data.size() < MinSize) return std::nullopt;
  TTableInfoReply reply;
  reply.OperationalCount = quint16(Little(data, 0, 2));
  reply.OverloadCount = quint16(Little(data, 2, 2));
  reply.OperationalRingPosition = quint16(Little(data, 4, 2));
  reply.OverloadRingPosition = quint16(Little(data, 6, 2));
  return reply;
}
