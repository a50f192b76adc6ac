#include "metrics/intensity_measures.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace smproc {

namespace {

std::span<const double> view(const std::vector<double>& v) { return v; }

PerComponent<std::span<const double>> views(const PerComponent<std::vector<double>>& v) {
  return {view(v[0]), view(v[1]), view(v[2])};
}

using Json = nlohmann::ordered_json;

// A number, or null where it is not defined.
Json number(std::optional<double> v) {
  return v && std::isfinite(*v) ? Json(*v) : Json(nullptr);
}

std::string cell(std::optional<double> v) {
  return v && std::isfinite(*v) ? shortest(*v) : std::string();
}

constexpr const char* component_keys[] = {"NS", "EW", "UD"};

}  // namespace

MeasureOptions default_measure_options() {
  const std::span<const double> periods = default_periods();
  return {{periods.begin(), periods.end()}, {default_damping}, 40.0};
}

PeakAt peak_at(std::span<const double> x, double dt) {
  PeakAt p;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double v = std::fabs(x[i]);
    if (i == 0 || v > p.value) p = {v, static_cast<double>(i) * dt};
  }
  return p;
}

IntensityMeasures intensity_measures(const MotionSeries& s, const MeasureOptions& options) {
  IntensityMeasures m;
  for (std::size_t c = 0; c < 3; ++c) {
    ComponentMeasures& cm = m.components[c];
    cm.pga = peak_at(s.acc[c], s.dt);
    cm.pgv = peak_at(s.vel[c], s.dt);
    cm.pgd = peak_at(s.dis[c], s.dt);
    cm.energy = energy_measures(s.acc[c], s.dt);
  }
  m.pga_rotd = rotd(s.acc[0], s.acc[1]);
  m.pgv_rotd = rotd(s.vel[0], s.vel[1]);
  // One plan for the JMA filter and the resampling alike.
  const std::shared_ptr<const FftPlan> own =
      s.plan && s.plan->length() == s.nf ? s.plan : std::make_shared<const FftPlan>(s.nf);
  const FftPlan& plan = *own;
  m.jma = jma_intensity(views(s.ground), s.dt, plan);
  m.periods = options.periods;
  m.dampings = options.dampings;
  m.spectra = response_spectra(views(s.acc), s.dt, plan, m.periods, m.dampings);
  const std::span<const double> amplitudes[] = {s.amplitudes[0], s.amplitudes[1], s.amplitudes[2]};
  m.fas = konno_ohmachi(s.frequencies, amplitudes, options.ko_bandwidth);
  return m;
}

std::string response_spectra_csv(const IntensityMeasures& m) {
  std::string out = "damping,period_s,psa_ns_gal,psa_ew_gal,psa_ud_gal,psa_rotd50_gal,psa_rotd100_gal\n";
  for (std::size_t d = 0; d < m.dampings.size(); ++d) {
    for (std::size_t p = 0; p < m.periods.size(); ++p) {
      const SpectralAcceleration& sa = m.spectra[d][p];
      out += shortest(m.dampings[d]) + ',' + shortest(m.periods[p]);
      for (const double v : {sa.component[0], sa.component[1], sa.component[2], sa.rotd50, sa.rotd100})
        out += ',' + cell(v);
      out += '\n';
    }
  }
  return out;
}

std::string smoothed_spectra_csv(const IntensityMeasures& m) {
  std::string out = "frequency_hz,fas_ns_gal_s,fas_ew_gal_s,fas_ud_gal_s\n";
  if (m.fas.size() != 3) return out;
  for (std::size_t j = 0; j < m.fas[0].frequency.size(); ++j) {
    out += shortest(m.fas[0].frequency[j]);
    for (const SmoothedSpectrum& s : m.fas) out += ',' + cell(s.amplitude[j]);
    out += '\n';
  }
  return out;
}

std::string metrics_json(const StationIdentity& who, const IntensityMeasures& m) {
  Json j;
  j["station"] = who.station;
  j["stem"] = who.stem;
  j["dt_s"] = who.dt;
  j["samples"] = who.samples;
  j["bandpass_hz"] = who.bandpass_hz ? Json(*who.bandpass_hz) : nullptr;
  Json components;
  for (std::size_t c = 0; c < 3; ++c) {
    const ComponentMeasures& cm = m.components[c];
    Json o;
    o["pga_gal"] = cm.pga.value;
    o["pga_time_s"] = cm.pga.time;
    o["pgv_cm_s"] = cm.pgv.value;
    o["pgv_time_s"] = cm.pgv.time;
    o["pgd_cm"] = cm.pgd.value;
    o["pgd_time_s"] = cm.pgd.time;
    o["arias_m_s"] = cm.energy.arias;
    o["cav_cm_s"] = cm.energy.cav;
    o["d5_75_s"] = number(cm.energy.d5_75);
    o["d5_95_s"] = number(cm.energy.d5_95);
    components[component_keys[c]] = o;
  }
  j["components"] = components;
  j["rotd50"] = {{"pga_gal", m.pga_rotd.rotd50}, {"pgv_cm_s", m.pgv_rotd.rotd50}};
  j["rotd100"] = {{"pga_gal", m.pga_rotd.rotd100}};
  if (m.jma) {
    j["jma"] = {{"intensity", m.jma->intensity},
                {"intensity_raw", m.jma->raw},
                {"class", m.jma->jma_class},
                {"a_gal", m.jma->a}};
  } else {
    j["jma"] = {{"intensity", nullptr}, {"intensity_raw", nullptr}, {"class", nullptr}, {"a_gal", nullptr}};
  }
  Json spectra;
  spectra["damping"] = m.dampings;
  spectra["period_s"] = m.periods;
  Json psa;
  const auto table = [&](auto value) {
    Json rows = Json::array();
    for (std::size_t d = 0; d < m.dampings.size(); ++d) {
      Json row = Json::array();
      for (std::size_t p = 0; p < m.periods.size(); ++p) row.push_back(number(value(m.spectra[d][p])));
      rows.push_back(row);
    }
    return rows;
  };
  for (std::size_t c = 0; c < 3; ++c)
    psa[component_keys[c]] = table([c](const SpectralAcceleration& sa) { return sa.component[c]; });
  psa["RotD50"] = table([](const SpectralAcceleration& sa) { return sa.rotd50; });
  psa["RotD100"] = table([](const SpectralAcceleration& sa) { return sa.rotd100; });
  spectra["psa_gal"] = psa;
  j["response_spectra"] = spectra;
  return j.dump(2) + "\n";
}

}  // namespace smproc
