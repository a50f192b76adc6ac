#include "run/stations.h"

#include "records/component.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

namespace smproc {

namespace fs = std::filesystem;

namespace {

constexpr const char* lower_endings[] = {".ns", ".ew", ".ud"};
constexpr const char* upper_endings[] = {".NS", ".EW", ".UD"};

bool ends_with(const std::string& s, const char* tail) {
  const std::string t(tail);
  return s.size() > t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// The component an ending names (0 NS, 1 EW, 2 UD), and whether it is lower case.
struct Ending {
  int component = -1;
  bool lower = false;
};

Ending ending_of(const std::string& name) {
  for (int c = 0; c < 3; ++c) {
    if (ends_with(name, lower_endings[c])) return {c, true};
    if (ends_with(name, upper_endings[c])) return {c, false};
  }
  return {};
}

// A stem's name can be a folder of its own under the output folder.
bool usable_name(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

// A record file that can be opened: anything but a folder (a FIFO will do).
bool is_record(const fs::path& p) {
  std::error_code ec;
  const fs::file_status st = fs::status(p, ec);
  return !ec && fs::exists(st) && !fs::is_directory(st);
}

// One stem as found: its path, and each component's file where one exists.
struct Found {
  std::string stem;
  std::string name;
  PerComponent<std::string> files;  // empty where none
  PerComponent<bool> lower{};       // the file has the lower-case ending
};

// Stems by their absolute path, so a stem named twice is taken once.
class Stems {
 public:
  Found& at(const std::string& stem) {
    std::error_code ec;
    fs::path key = fs::absolute(stem, ec);
    if (ec) key = stem;
    const std::string k = key.lexically_normal().string();
    auto it = by_key_.find(k);
    if (it == by_key_.end()) {
      it = by_key_.emplace(k, Found{stem, fs::path(stem).filename().string(), {}, {}}).first;
    }
    return it->second;
  }
  const std::map<std::string, Found>& all() const { return by_key_; }

 private:
  std::map<std::string, Found> by_key_;
};

// The folder's record files, grouped by stem; false when it holds none.
bool search_folder(const std::string& folder, Stems& stems, std::vector<std::string>& problems) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  if (ec) {
    problems.push_back(folder + ": cannot read the folder: " + ec.message());
    return true;
  }
  bool any = false;
  for (; it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    const Ending e = ending_of(file);
    if (e.component < 0) continue;
    const std::string name = file.substr(0, file.size() - 3);
    if (!usable_name(name) || !is_record(it->path())) continue;
    const std::string stem = (fs::path(folder) / name).string();
    Found& f = stems.at(stem);
    std::string& slot = f.files[e.component];
    // Where both endings exist, the lower-case file is read, as the dialogue does.
    if (slot.empty() || (e.lower && !f.lower[e.component])) {
      slot = it->path().string();
      f.lower[e.component] = e.lower;
    }
    any = true;
  }
  if (ec) problems.push_back(folder + ": cannot read the folder: " + ec.message());
  return any;
}

}  // namespace

std::string drop_component_ending(const std::string& name) {
  return ending_of(name).component < 0 ? name : name.substr(0, name.size() - 3);
}

std::optional<std::string> component_file(const std::string& stem, int c) {
  for (const char* ending : {lower_endings[c], upper_endings[c]}) {
    std::string file = stem + ending;
    if (is_record(file)) return file;
  }
  return std::nullopt;
}

RecordNames dialogue_records(const std::string& stem) {
  std::string files[3];
  for (int c = 0; c < 3; ++c) files[c] = component_file(stem, c).value_or(stem + lower_endings[c]);
  return {files[0], files[1], files[2], false};
}

StationSearch find_stations(const std::vector<std::string>& args) {
  StationSearch search;
  Stems stems;
  for (const std::string& arg : args) {
    std::error_code ec;
    if (fs::is_directory(arg, ec)) {
      if (!search_folder(arg, stems, search.problems))
        search.problems.push_back(arg +
                                  ": no station in this folder (no .ns, .ew, .ud or .NS, .EW, "
                                  ".UD record files; sub folders are not searched)");
      continue;
    }
    const std::string stem = drop_component_ending(arg);
    PerComponent<std::optional<std::string>> files;
    for (int c = 0; c < 3; ++c) files[c] = component_file(stem, c);
    if ((!files[0] && !files[1] && !files[2]) || !usable_name(fs::path(stem).filename().string())) {
      search.problems.push_back(arg +
                                ": no station: neither a folder nor a stem with .ns, .ew, "
                                ".ud (or .NS, .EW, .UD) record files");
      continue;
    }
    Found& f = stems.at(stem);
    for (int c = 0; c < 3; ++c) {
      if (files[c]) f.files[c] = *files[c];
    }
  }

  std::map<std::string, std::string> stem_of_name;
  for (const auto& [key, f] : stems.all()) {
    auto [it, fresh] = stem_of_name.emplace(f.name, f.stem);
    if (!fresh && search.conflict.empty()) {
      search.conflict = "two stations are named " + f.name + " (" + it->second + " and " + f.stem +
                        "); their outputs would share one folder";
    }
    if (!f.files[0].empty() && !f.files[1].empty() && !f.files[2].empty()) {
      search.stations.push_back({f.name, {f.files[0], f.files[1], f.files[2], false}});
    } else {
      search.incomplete.push_back(
          {f.name, {!f.files[0].empty(), !f.files[1].empty(), !f.files[2].empty()}});
    }
  }
  auto by_name = [](const auto& a, const auto& b) { return a.name < b.name; };
  std::sort(search.stations.begin(), search.stations.end(), by_name);
  std::sort(search.incomplete.begin(), search.incomplete.end(), by_name);
  return search;
}

std::string missing_components(const IncompleteStation& s) {
  std::vector<std::string> missing;
  for (int c = 0; c < 3; ++c) {
    if (!s.found[c]) missing.emplace_back(component_name(c));
  }
  std::string text = "missing";
  for (std::size_t k = 0; k < missing.size(); ++k)
    text += (k == 0 ? " " : k + 1 == missing.size() ? " and " : ", ") + missing[k];
  return text;
}

}  // namespace smproc
