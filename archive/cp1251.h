#pragma once
// Windows-1251, the character set of data files and of the recorder's texts. Every byte maps
// to exactly one QChar and back, so byte positions in a line equal character positions.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The character of byte b (the undefined 98h maps to U+0098 so that it round-trips).
QChar Cp1251ToChar(unsigned char b);
// The byte of c, or '?' for a character outside Windows-1251.
char CharToCp1251(QChar c);

QString DecodeCp1251(QByteArrayView bytes);
QByteArray EncodeCp1251(QStringView text);
