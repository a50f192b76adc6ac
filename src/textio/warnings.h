// Warnings for the user: one line each, naming the file and saying what was
// assumed. They never reach the console transcript.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace smproc::textio {

class Warnings {
 public:
  // Told of each warning as it arises, e.g. to print it on standard error.
  using Listener = std::function<void(const std::string&)>;

  explicit Warnings(Listener listener = {}) : listener_(std::move(listener)) {}

  void add(std::string text) {
    if (listener_) listener_(text);
    all_.push_back(std::move(text));
  }
  const std::vector<std::string>& all() const { return all_; }

 private:
  Listener listener_;
  std::vector<std::string> all_;
};

}  // namespace smproc::textio
