// The benchmark record set: one component record of a given number of samples
// in the record layout (17 header lines with the scale line, eight integer
// counts a line), from a fixed integer generator so that every machine writes
// the same bytes. The set's three components use the same record.
#pragma once

#include <string>

namespace smproc::bench {

inline std::string record_text(int samples) {
  std::string text;
  for (int i = 1; i <= 13; ++i) text += "Header line\n";
  text += "Scale Factor      7845(gal)/8223790\nMax. Acc.\nLast Correction\nMemo.\n";
  unsigned x = 12345;
  for (int i = 1; i <= samples; ++i) {
    x = x * 1103515245u + 12345u;
    text += ' ' + std::to_string(100000 + static_cast<int>((x >> 16) % 20001) - 10000);
    if (i % 8 == 0) text += '\n';
  }
  return text;
}

}  // namespace smproc::bench
