#include "acquisition/ring_store.h"

#include "archive/text_file.h"

bool RingStore::AppendTo(TextLineWriter& out) const {
  for (const QString& line : lines_) {
    out.WriteLine(line);
    if (!out.Ok()) return false;
  }
  return out.Ok();
}
