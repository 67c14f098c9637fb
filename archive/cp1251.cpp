#include "archive/cp1251.h"

#include <array>

namespace {

// Bytes 80h..BFh; C0h..FFh are U+0410..U+044F, below 80h is ASCII.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

}  // namespace

QChar Cp1251ToChar(unsigned char b) {
  if (b < 0x80) return QChar(char16_t(b));
  if (b >= 0xC0) return QChar(char16_t(0x0410 + (b - 0xC0)));
  return QChar(kHigh[b - 0x80]);
}

char CharToCp1251(QChar c) {
  const char16_t u = c.unicode();
  if (u < 0x80) return char(u);
  if (u >= 0x0410 && u <= 0x044F) return char(0xC0 + (u - 0x0410));
  for (std::size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == u) return char(0x80 + i);
  return '?';
}

QString DecodeCp1251(QByteArrayView bytes) {
  QString text(bytes.size(), Qt::Uninitialized);
  QChar* out = text.data();
  for (qsizetype i = 0; i < bytes.size(); ++i)
    out[i] = Cp1251ToChar(static_cast<unsigned char>(bytes[i]));
  return text;
}

QByteArray EncodeCp1251(QStringView text) {
  QByteArray bytes;
  bytes.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    // A character beyond the 16-bit range is one character: one "?", not two.
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    bytes.append(CharToCp1251(text[i]));
  }
  return bytes;
}
