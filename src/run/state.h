// The state of one run: the three components, the grid and the answers.
#pragma once

#include <memory_resource>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "dialogue/answers.h"
#include "metrics/intensity_measures.h"
#include "records/arena.h"
#include "records/record_reader.h"
#include "records/series.h"
#include "spectral/frame.h"
#include "spectral/spectrum.h"

namespace smproc {

// One component (NS, EW or UD) through the run. The short names are those of
// the arithmetic: xr1..xr3 the calibrated series, fx1..fx3 the spectra,
// x1..x3 the output series, my1..my3 the polarity answers.
// The components pass through the frequency domain one after another, in one
// spectrum; each keeps only the amplitudes that amp3.csv writes.
struct ComponentState {
  explicit ComponentState(std::pmr::memory_resource* memory)
      : calibrated(memory), amplitudes(memory), output(memory) {}

  std::string file;   // the record file's name
  RecordRead record;  // what its record told: count, scale factors, header
  // xr: scaled, mean-free samples 1..nt; after the inverse transform, the
  // back-transformed samples 1..nf.
  Series calibrated;
  // |fx| of bins 2..nom, after the band-pass and the operator.
  std::pmr::vector<double> amplitudes;
  // x: a window cut from calibrated; without a cut the waveform file writes
  // calibrated itself (samples 1..nt).
  Series output;
};

struct State {
  // On `shared`, started over, or else on memory of its own.
  explicit State(Arena* shared = nullptr) : memory(shared ? *shared : own_memory.emplace()) {
    if (shared) shared->start_over();
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

 private:
  std::optional<Arena> own_memory;  // first, so that it outlives the arrays it holds

 public:
  // Where the series, the spectrum, the amplitudes and the factors have their room.
  Arena& memory;
  PerComponent<ComponentState> components{ComponentState(&memory), ComponentState(&memory),
                                          ComponentState(&memory)};
  // 0.01 s held in single precision, widened: the sampling interval of every record.
  double dt = legacy_interval;
  // The sampling frequency dt was set from, Hz, once the three records are
  // read and their rates agree (or --rate forced it).
  std::optional<double> rate_hz;
  int nt = 0;  // samples per component: the UD record's count, then the window's
  // The values a series holds and the longest transform: fixed, or with long
  // records sized to the record.
  RecordLimits limits;
  Grid grid;
  // fx of the component in the frequency domain: bins 1..nf.
  Spectrum spectrum{&memory};
  Answers answers;
  bool processing_answered = false;
  // The intensity measures asked for, the series they are computed from,
  // and their values once the waveform file is written.
  const MeasureOptions* measure_options = nullptr;
  std::optional<MotionSeries> motion;
  std::shared_ptr<const IntensityMeasures> measures;  // the band-pass and operation questions were answered
  bool waveform_written = false;  // the waveform file was written in full

  PerComponent<Series*> calibrated() {
    return {&components[0].calibrated, &components[1].calibrated, &components[2].calibrated};
  }
  PerComponent<const Series*> calibrated() const {
    return {&components[0].calibrated, &components[1].calibrated, &components[2].calibrated};
  }
  PerComponent<std::span<const double>> amplitudes() const {
    return {components[0].amplitudes, components[1].amplitudes, components[2].amplitudes};
  }
  PerComponent<Series*> outputs() {
    return {&components[0].output, &components[1].output, &components[2].output};
  }
  PerComponent<const Series*> outputs() const {
    return {&components[0].output, &components[1].output, &components[2].output};
  }
  // The series the waveform file writes: the window when one was cut.
  PerComponent<const Series*> written() const {
    return answers.cut == 1 ? outputs() : calibrated();
  }
};

}  // namespace smproc
