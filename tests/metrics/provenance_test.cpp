// How a station's outputs were made, as its summary columns say it: for each
// operation the quantity and unit the waveform file holds, the corners, the
// rate, and nothing the run did not get to.
#include "metrics/provenance.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace smproc {
namespace {

std::map<std::string, std::string> cells(const StationData& data) {
  StationResult out;
  provenance(data, out);
  std::map<std::string, std::string> by_name;
  for (const Column& c : out) by_name[c.name] = formatted(c, Form::csv);
  return by_name;
}

TEST(Provenance, EachOperationNamesItsQuantityAndUnit) {
  const struct {
    int answer;  // the operation question's answer, nit
    const char* operation;
    const char* quantity;
    const char* unit;
  } cases[] = {
      {0, "none", "acceleration", "gal"},
      {1, "integrate", "velocity", "cm/s"},
      {2, "integrate twice", "displacement", "cm"},
      {3, "differentiate", "acceleration derivative", "gal/s"},
      {4, "none", "acceleration", "gal"},  // any other answer changes nothing
      {-1, "none", "acceleration", "gal"},
  };
  for (const auto& t : cases) {
    StationData d;
    d.processing = {200.0, true, std::nullopt, operation_of(t.answer)};
    auto c = cells(d);
    EXPECT_EQ(c["operation"], t.operation) << t.answer;
    EXPECT_EQ(c["output_quantity"], t.quantity) << t.answer;
    EXPECT_EQ(c["output_unit"], t.unit) << t.answer;
    EXPECT_EQ(c["rate_hz"], "200") << t.answer;
    EXPECT_EQ(c["bandpass_hz"], "") << t.answer;
  }
}

TEST(Provenance, CornersAreWrittenAsTypedValuesReadBack) {
  const struct {
    Corners corners;
    const char* want;
  } cases[] = {
      {{0.1, 0.2, 20, 25}, "0.1 0.2 20 25"},
      {{0.05, 1e-1, 40.5, 45.25}, "0.05 0.1 40.5 45.25"},
      {{25, 20, 0.2, 0.1}, "25 20 0.2 0.1"},  // out of order, as the run used them
      {{-1, 0, 1e-7, 3e20}, "-1 0 1e-07 3e+20"},
  };
  for (const auto& t : cases) {
    StationData d;
    d.processing = {100.0, true, t.corners, Operation::none};
    EXPECT_EQ(cells(d)["bandpass_hz"], t.want);
  }
}

TEST(Provenance, NothingTheRunDidNotGetTo) {
  // Failed before its rate was settled or its questions answered: only the
  // version.
  const auto none = cells(StationData{});
  for (const char* name :
       {"rate_hz", "bandpass_hz", "operation", "output_quantity", "output_unit"})
    EXPECT_EQ(none.at(name), "") << name;
  EXPECT_EQ(none.at("smproc_version"), SMPROC_VERSION);
  // Its rate settled, then ended before the questions: corners are not told.
  StationData d;
  d.processing = {50.0, false, Corners{0.1, 0.2, 20, 25}, Operation::integrate};
  const auto rate_only = cells(d);
  EXPECT_EQ(rate_only.at("rate_hz"), "50");
  EXPECT_EQ(rate_only.at("bandpass_hz"), "");
  EXPECT_EQ(rate_only.at("operation"), "");
}

}  // namespace
}  // namespace smproc
