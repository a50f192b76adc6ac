#include "metrics/provenance.h"

namespace smproc {

OutputQuantity output_quantity(Operation op) {
  switch (op) {
    case Operation::integrate:
      return {"integrate", "velocity", "cm/s"};
    case Operation::integrate_twice:
      return {"integrate twice", "displacement", "cm"};
    case Operation::differentiate:
      return {"differentiate", "acceleration derivative", "gal/s"};
    case Operation::none:
      break;
  }
  return {"none", "acceleration", "gal"};
}

std::string corner_text(const Corners& c) {
  return shortest(c.fl1) + " " + shortest(c.fl2) + " " + shortest(c.fh1) + " " + shortest(c.fh2);
}

void provenance(const StationData& data, StationResult& out) {
  const Processing& p = data.processing;
  out.push_back(real_column("rate_hz", "", p.rate_hz));
  out.push_back(text_column("bandpass_hz", "",
                            p.answered && p.bandpass ? std::optional(corner_text(*p.bandpass))
                                                     : std::nullopt));
  std::optional<OutputQuantity> o;
  if (p.answered) o = output_quantity(p.operation);
  out.push_back(text_column("operation", "", o ? std::optional<std::string>(o->operation) : std::nullopt));
  out.push_back(
      text_column("output_quantity", "", o ? std::optional<std::string>(o->quantity) : std::nullopt));
  out.push_back(text_column("output_unit", "", o ? std::optional<std::string>(o->unit) : std::nullopt));
  out.push_back(text_column("smproc_version", "", std::string(SMPROC_VERSION)));
}

}  // namespace smproc
