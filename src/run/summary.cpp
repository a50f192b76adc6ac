#include "run/summary.h"

#include <algorithm>

namespace smproc {

namespace {

std::string without_program_name(std::string line) {
  const std::string name = "smproc: ";
  if (line.compare(0, name.size(), name) == 0) line.erase(0, name.size());
  return line;
}

// A field quoted when it holds a comma, a quote or a line end, quotes doubled.
std::string csv_field(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char ch : s) q += ch == '"' ? std::string("\"\"") : std::string(1, ch);
  return q + "\"";
}

// An optional sign, digits with at most one point, an optional exponent.
bool plain_decimal(const std::string& s) {
  std::size_t k = 0;
  if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
  std::size_t digits = 0;
  bool point = false;
  for (; k < s.size(); ++k) {
    if (s[k] >= '0' && s[k] <= '9') {
      ++digits;
    } else if (s[k] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (k < s.size() && (s[k] == 'e' || s[k] == 'E')) {
    ++k;
    if (k < s.size() && (s[k] == '+' || s[k] == '-')) ++k;
    const std::size_t first = k;
    while (k < s.size() && s[k] >= '0' && s[k] <= '9') ++k;
    if (k == first) return false;
  }
  return k == s.size();
}

// A text cell as summary.csv holds it: a spreadsheet evaluates a cell that
// starts with one of these as a formula, so it gets a leading quote mark;
// a stated number such as a southern latitude, -33.45, stays a number.
std::string text_cell(const std::string& s) {
  if (s.empty() || std::string_view("=+-@\t\r").find(s[0]) == std::string_view::npos ||
      plain_decimal(s))
    return csv_field(s);
  return csv_field("'" + s);
}

// The row's value of each layout column, formatted; empty for a station
// not run, for a column its result lacks, and where it holds no value.
std::vector<std::string> cells_of(const StationRow& r, const StationResult& layout, Form form) {
  std::vector<std::string> cells(layout.size());
  if (r.outcome == StationRow::Outcome::not_run) return cells;
  for (std::size_t k = 0; k < layout.size(); ++k) {
    const Column* c = k < r.summary.size() && r.summary[k].name == layout[k].name
                          ? &r.summary[k]
                          : find_column(r.summary, layout[k].name);
    if (c) cells[k] = formatted(*c, form);
  }
  return cells;
}

std::string joined(const std::vector<std::string>& parts, const std::string& sep) {
  std::string t;
  for (std::size_t k = 0; k < parts.size(); ++k) t += (k ? sep : "") + parts[k];
  return t;
}

}  // namespace

std::string printable(const std::string& s) {
  std::string t;
  t.reserve(s.size());
  for (std::size_t k = 0; k < s.size(); ++k) {
    const auto ch = static_cast<unsigned char>(s[k]);
    if (ch < 0x20 || ch == 0x7f) {
      t += '?';
    } else if (ch == 0xc2 && k + 1 < s.size() && static_cast<unsigned char>(s[k + 1]) >= 0x80 &&
               static_cast<unsigned char>(s[k + 1]) <= 0x9f) {
      t += '?';
      ++k;
    } else {
      t += s[k];
    }
  }
  return t;
}

std::string failure_status(const std::string& report) {
  return without_program_name(report.substr(0, report.find('\n')));
}

std::string one_line(const std::string& report) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < report.size()) {
    std::size_t end = report.find('\n', start);
    if (end == std::string::npos) end = report.size();
    if (end > start) lines.push_back(report.substr(start, end - start));
    start = end + 1;
  }
  return without_program_name(joined(lines, "; "));
}

namespace {

// The columns every row has: the metrics' of a station with no data.
StationResult layout_of(std::span<const Metric> metrics, const MeasureOptions* measures) {
  StationData none;
  none.measure_options = measures;
  return measure(none, metrics);
}

}  // namespace

std::string summary_csv(const std::vector<StationRow>& rows, std::span<const Metric> metrics,
                        const MeasureOptions* measures) {
  const StationResult layout = layout_of(metrics, measures);
  std::vector<std::string> head = {"stem", "status"};
  for (const Column& c : layout) head.push_back(c.name);
  head.push_back("warnings");
  std::string t = joined(head, ",") + "\n";
  for (const StationRow& r : rows) {
    std::vector<std::string> fields = {text_cell(r.name), text_cell(r.status)};
    const std::vector<std::string> cells = cells_of(r, layout, Form::csv);
    for (std::size_t k = 0; k < layout.size(); ++k)
      fields.push_back(layout[k].type == ColumnType::text ? text_cell(cells[k])
                                                          : csv_field(cells[k]));
    fields.push_back(text_cell(joined(r.warnings, " | ")));
    t += joined(fields, ",") + "\n";
  }
  return t;
}

std::string summary_table(const std::vector<StationRow>& rows, std::span<const Metric> metrics,
                          const MeasureOptions* measures) {
  const StationResult layout = layout_of(metrics, measures);
  // The table's columns: stem, one per run of layout columns under one
  // heading, warnings, status; numbers right-aligned, the status, often
  // long, last.
  struct Group {
    std::size_t first, count;
  };
  std::vector<Group> groups;
  std::vector<std::string> heads = {"stem"};
  std::vector<bool> right = {false};
  for (std::size_t k = 0; k < layout.size(); ++k) {
    if (layout[k].heading.empty()) continue;
    if (!groups.empty() && groups.back().first + groups.back().count == k &&
        layout[groups.back().first].heading == layout[k].heading) {
      ++groups.back().count;
      continue;
    }
    groups.push_back({k, 1});
    heads.push_back(layout[k].heading);
    right.push_back(layout[k].align == Align::right);
  }
  heads.insert(heads.end(), {"warnings", "status"});
  right.insert(right.end(), {true, false});

  std::vector<std::vector<std::string>> table = {heads};
  for (const StationRow& r : rows) {
    const std::vector<std::string> cells = cells_of(r, layout, Form::table);
    std::vector<std::string> line = {r.name};
    for (const Group& g : groups) {
      const auto begin = cells.begin() + static_cast<std::ptrdiff_t>(g.first);
      const std::vector<std::string> shared(begin, begin + static_cast<std::ptrdiff_t>(g.count));
      const bool same = std::all_of(shared.begin(), shared.end(),
                                    [&](const std::string& s) { return s == shared[0]; });
      line.push_back(same ? shared[0] : joined(shared, "/"));
    }
    line.push_back(r.outcome == StationRow::Outcome::not_run ? std::string()
                                                             : std::to_string(r.warnings.size()));
    line.push_back(r.status);
    for (std::string& cell : line) cell = printable(cell);
    table.push_back(std::move(line));
  }
  std::vector<std::size_t> width(heads.size(), 0);
  for (const auto& row : table) {
    for (std::size_t k = 0; k < row.size(); ++k) width[k] = std::max(width[k], row[k].size());
  }
  std::string t;
  for (const auto& row : table) {
    std::string line;
    for (std::size_t k = 0; k < row.size(); ++k) {
      const std::string pad(width[k] - row[k].size(), ' ');
      if (k) line += "  ";
      line += right[k] ? pad + row[k] : k + 1 == row.size() ? row[k] : row[k] + pad;
    }
    t += line + "\n";
  }
  return t;
}

}  // namespace smproc
