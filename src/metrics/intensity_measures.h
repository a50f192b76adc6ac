// Every intensity measure of one station, from the series its run forms.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "metrics/column.h"
#include "metrics/energy.h"
#include "metrics/jma_intensity.h"
#include "metrics/konno_ohmachi.h"
#include "metrics/response_spectrum.h"
#include "metrics/rotd.h"
#include "records/series.h"

namespace smproc {

// What the measures are asked for: their periods, dampings and smoothing.
struct MeasureOptions {
  std::vector<double> periods;   // s, as given
  std::vector<double> dampings;  // fractions of critical, as given
  double ko_bandwidth = 40.0;
};

// The options with the default periods and damping.
MeasureOptions default_measure_options();

// The series a station's measures are computed from, samples 1..n at index
// 0..n-1, dt apart.
struct MotionSeries {
  PerComponent<std::vector<double>> acc;  // gal: band-passed as asked, no operator
  PerComponent<std::vector<double>> vel;  // cm/s: the same band-pass, integrated once
  PerComponent<std::vector<double>> dis;  // cm: integrated twice
  // gal: calibrated and mean-removed, nothing else (the JMA intensity's input)
  PerComponent<std::vector<double>> ground;
  // |fx| of acc at bins 2..nom and their frequencies, Hz, as amp3.csv has them
  PerComponent<std::vector<double>> amplitudes;
  std::vector<double> frequencies;
  double dt = 0.01;
  int nf = 0;  // the record's transform length
  std::shared_ptr<const FftPlan> plan;  // the run's, of length nf; made anew where absent
};

struct PeakAt {
  double value = 0.0;  // max |x(i)|
  double time = 0.0;   // (i − 1)·dt of its first occurrence, s
};

struct ComponentMeasures {
  PeakAt pga, pgv, pgd;
  EnergyMeasures energy;
};

struct IntensityMeasures {
  PerComponent<ComponentMeasures> components;
  RotD pga_rotd, pgv_rotd;
  std::optional<JmaIntensity> jma;
  std::vector<double> periods, dampings;
  ResponseSpectra spectra;          // [damping][period]
  std::vector<SmoothedSpectrum> fas;  // NS, EW, UD on the same centres
};

// The first occurrence of the largest |x(i)|.
PeakAt peak_at(std::span<const double> x, double dt);

IntensityMeasures intensity_measures(const MotionSeries& series, const MeasureOptions& options);

// response_spectra.csv and fas_smoothed.csv.
std::string response_spectra_csv(const IntensityMeasures& m);
std::string smoothed_spectra_csv(const IntensityMeasures& m);

// What metrics.json says of the station beyond its measures.
struct StationIdentity {
  std::string station;  // its output folder's name
  std::string stem;     // its records' stem
  double dt = 0.0;
  int samples = 0;
  std::optional<std::array<double, 4>> bandpass_hz;
};

std::string metrics_json(const StationIdentity& who, const IntensityMeasures& m);

}  // namespace smproc
