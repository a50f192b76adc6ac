#include "metrics/intensity_columns.h"

#include <cstdio>

namespace smproc {

namespace {

std::optional<double> maybe(const IntensityMeasures* m, auto value) {
  return m ? std::optional<double>(value(*m)) : std::nullopt;
}

}  // namespace

void intensity_columns(const StationData& data, StationResult& out) {
  if (!data.measure_options) return;
  const IntensityMeasures* m = data.measures;
  const JmaIntensity* jma = m && m->jma ? &*m->jma : nullptr;
  // One decimal, as the intensity is reported.
  std::optional<std::string> intensity;
  if (jma) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", jma->intensity);
    intensity = text;
  }
  out.push_back(text_column("jma_intensity", "JMA", intensity, Align::right));
  out.push_back(text_column("jma_class", "class",
                            jma ? std::optional<std::string>(jma->jma_class) : std::nullopt));
  out.push_back(real_column("pga_rotd50_gal", "PGA RotD50",
                            maybe(m, [](const IntensityMeasures& x) { return x.pga_rotd.rotd50; })));
  out.push_back(real_column("pgv_rotd50_cm_s", "",
                            maybe(m, [](const IntensityMeasures& x) { return x.pgv_rotd.rotd50; })));
  const char* const lower[] = {"ns", "ew", "ud"};
  for (std::size_t c = 0; c < 3; ++c)
    out.push_back(real_column(std::string("arias_") + lower[c] + "_m_s", "",
                              maybe(m, [c](const IntensityMeasures& x) {
                                return x.components[c].energy.arias;
                              })));
  for (std::size_t c = 0; c < 3; ++c) {
    const std::optional<double> d =
        m ? m->components[c].energy.d5_95 : std::optional<double>();
    out.push_back(real_column(std::string("d5_95_") + lower[c] + "_s", "", d));
  }
  const std::vector<double>& periods = data.measure_options->periods;
  for (std::size_t p = 0; p < periods.size(); ++p) {
    const bool has = m && !m->spectra.empty() && p < m->spectra[0].size();
    out.push_back(real_column("psa_rotd50_" + shortest(periods[p]) + "_gal", "",
                              has ? std::optional<double>(m->spectra[0][p].rotd50)
                                  : std::nullopt));
  }
}

}  // namespace smproc
