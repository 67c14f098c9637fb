#pragma once
// Text routines of the controls library. A character set is given as the text of its
// members; positions are 1-based.

#include <QString>
#include <QStringView>

// True when every character of s is in chars (also for an empty s).
bool IsEmptyStr(QStringView s, QStringView chars);
// Every occurrence of f in s replaced by r, left to right; a replacement is not scanned
// again. An empty f leaves s unchanged.
QString ReplaceStr(const QString& s, const QString& f, const QString& r);
// count copies of c; empty for count < 1.
QString MakeStr(QChar c, int count);

// Words are maximal runs of characters outside delims.
int WordCount(QStringView s, QStringView delims);
// Position of the first character of word n (from 1), 0 when there is none.
int WordPosition(int n, QStringView s, QStringView delims);
QString ExtractWord(int n, QStringView s, QStringView delims);

// XOR of the text's Windows-1251 bytes with the repeated key's, as two lower-case
// hexadecimal digits a byte. XorDecode reverses it; a pair that is not hexadecimal
// reads as a blank and an odd last digit is ignored.
QString XorEncode(const QString& key, const QString& s);
QString XorDecode(const QString& key, const QString& h);
