// A station's result: a list of named, typed columns, each with a value or
// none, as summary.csv and the table of an event show them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace smproc {

// How a column's value is written.
enum class ColumnType {
  text,     // as given
  integer,  // in decimal
  real,     // four decimals, as the waveform file writes its values; exact in summary.csv
  time,     // seconds, three decimals, as the waveform file writes its times
};

// The side of its cell a value keeps in the aligned table.
enum class Align { left, right };

struct Column {
  std::string name;     // its summary.csv header, units in the name where it has one
  std::string heading;  // its heading in the table; empty: not in the table
  ColumnType type = ColumnType::text;
  Align align = Align::left;
  // None (monostate) where the run did not get so far; else text for a text
  // column, long long for an integer one, double for the others.
  std::variant<std::monostate, std::string, long long, double> value;

  bool empty() const { return value.index() == 0; }
};

// Every registered metric's columns for one station, in the registered order.
using StationResult = std::vector<Column>;

// The shortest text that reads back to the same double.
std::string shortest(double v);

// Columns of each type; numbers are right-aligned, text left unless told.
Column text_column(std::string name, std::string heading, std::optional<std::string> value,
                   Align align = Align::left);
Column integer_column(std::string name, std::string heading, std::optional<long long> value);
Column real_column(std::string name, std::string heading, std::optional<double> value);
Column time_column(std::string name, std::string heading, std::optional<double> value);

// Where a value is written: the aligned table, or summary.csv.
enum class Form { table, csv };

// The value as the table or summary.csv writes it; empty for none. A real
// is four decimals in the table and the shortest text that reads back to
// it in summary.csv; a time is three decimals in both. A real or time whose
// fixed form would run past 15 integer digits (|v| >= 1e15), or is not
// finite, is written as the shortest text that reads back to it.
std::string formatted(const Column& column, Form form = Form::table);

// The column of that name in a result, or null.
const Column* find_column(const StationResult& result, std::string_view name);

// The number a real or time column of that name holds, or none.
std::optional<double> real_value(const StationResult& result, std::string_view name);

}  // namespace smproc
