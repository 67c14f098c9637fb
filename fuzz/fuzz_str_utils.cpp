// Any bytes as a key (or delimiter set) and a text: XOR encoding round-trips, and the word
// routines agree with each other and with the text.
#include "archive/cp1251.h"
#include "controls/str_utils.h"
#include "fuzz/fuzz_check.h"

#include <QString>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t keyLength = std::min<std::size_t>(data[0] % 8, size - 1);
  // The program's texts are Windows-1251, one byte a character.
  const auto* bytes = reinterpret_cast<const char*>(data) + 1;
  const QString key = DecodeCp1251(QByteArrayView(bytes, qsizetype(keyLength)));
  const QString text =
      DecodeCp1251(QByteArrayView(bytes + keyLength, qsizetype(size - 1 - keyLength)));

  const QString hex = XorEncode(key, text);
  JW_CHECK(hex.size() == 2 * text.size());
  for (QChar c : hex) JW_CHECK((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'));
  JW_CHECK(XorDecode(key, hex) == text);
  const QString decoded = XorDecode(key, text);
  JW_CHECK(decoded.size() == text.size() / 2 && EncodeCp1251(decoded).size() == decoded.size());

  // The key's characters serve as the delimiter set.
  const int words = WordCount(text, key);
  int previous = 0;
  for (int n = 1; n <= words; ++n) {
    const int position = WordPosition(n, text, key);
    const QString word = ExtractWord(n, text, key);
    JW_CHECK(position > previous && !word.isEmpty());
    JW_CHECK(text.mid(position - 1, word.size()) == word);
    JW_CHECK(position == 1 || key.contains(text[position - 2]));
    for (QChar c : word) JW_CHECK(!key.contains(c));
    const qsizetype end = position - 1 + word.size();
    JW_CHECK(end == text.size() || key.contains(text[end]));
    previous = position;
  }
  JW_CHECK(WordPosition(words + 1, text, key) == 0 && ExtractWord(words + 1, text, key).isEmpty());
  JW_CHECK(WordPosition(0, text, key) == 0);
  return 0;
}
