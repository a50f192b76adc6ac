// Standard input and output as the run's console, units 5 and 6.
#pragma once

#include "textio/text_input.h"
#include "textio/text_output.h"

namespace smproc::textio {

struct Console {
  Input in;
  Output out;

  Console(Input input, Output output)
      : in(std::move(input)), out(std::move(output)) {
    in.tie(&out);
  }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
};

}  // namespace smproc::textio
