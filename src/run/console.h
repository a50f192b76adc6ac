// Standard input and output as the run's console, units 5 and 6.
#pragma once

#include "run/text_input.h"
#include "run/text_output.h"

namespace smproc {

struct Console {
  textio::Input in;
  textio::Output out;

  Console(textio::Input input, textio::Output output)
      : in(std::move(input)), out(std::move(output)) {
    in.tie(&out);
  }
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;
};

}  // namespace smproc
