// The items a read stores into: integers, reals and fixed-length texts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace smproc::textio {

// A text item of a fixed length, blank-padded.
struct TextItem {
  std::string* value;
  std::size_t length;
};
using ReadItem = std::variant<int*, double*, TextItem>;

enum class ReadResult { ok, end_of_file };

// Stores t into the text item, cut or blank-padded to its length.
inline void assign_text(const TextItem& item, std::string_view t) {
  item.value->assign(t.substr(0, item.length));
  item.value->resize(item.length, ' ');
}

}  // namespace smproc::textio
