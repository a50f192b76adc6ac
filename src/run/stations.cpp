#include "run/stations.h"

#include "files/archive.h"
#include "records/component.h"
#include "records/record_name.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <system_error>

namespace smproc {

namespace fs = std::filesystem;

namespace {

constexpr Sensor all_sensors[] = {Sensor::none, Sensor::borehole, Sensor::surface};

// The endings that make a file a record, as the reports name them.
constexpr std::string_view endings_text =
    ".ns, .ew, .ud, .ns1, .ew1, .ud1, .ns2, .ew2 or .ud2, in lower or upper case";

// A path's record ending, as parse_record_name reads its file part; the
// stem keeps the folder part.
std::optional<RecordName> path_record_name(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return parse_record_name(path);
  std::optional<RecordName> r = parse_record_name(std::string_view(path).substr(slash + 1));
  if (r) r->stem = path.substr(0, slash + 1) + r->stem;
  return r;
}

// A stem's name can be a folder of its own under the output folder.
bool usable_name(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

// What stands at a record file's name: nothing, a regular file (a record,
// directly or through symbolic links), or something that must not be opened
// as one: a pipe or device would be read for ever, a folder cannot be.
struct Probe {
  bool record = false;
  std::string unusable;  // "FILE: why", when something else stands there
  bool folder = false;   // that something is a folder: named, but no station by itself
};

Probe probe(const fs::path& p) {
  std::error_code ec;
  const fs::file_status st = fs::status(p, ec);
  if (ec == std::errc::too_many_symbolic_link_levels)
    return {false, p.string() + ": a loop of symbolic links", false};
  if (ec || !fs::exists(st)) return {};
  if (fs::is_regular_file(st)) return {true, {}, false};
  return {false, p.string() + ": not a regular file", fs::is_directory(st)};
}

bool is_record(const fs::path& p) { return probe(p).record; }

// Component c's file of a stem, as component_file finds it, or why the file
// that stands there is no record.
Probe probe_component(const std::string& stem, int c, Sensor sensor, std::string& file) {
  Probe first;
  for (bool lower : {true, false}) {
    const std::string ending = record_ending(c, sensor, lower);
    Probe p = probe(stem + ending);
    if (p.record) {
      file = stem + ending;
      return p;
    }
    if (first.unusable.empty()) first = std::move(p);
  }
  return first;
}

// Outputs a run leaves in a station's folder.
bool holds_outputs(const std::string& folder) {
  std::error_code ec;
  return fs::exists(fs::path(folder) / "console.txt", ec) ||
         fs::exists(fs::path(folder) / "amp3.csv", ec);
}

// One stem's set of one sensor as found: its path, and each component's
// file where one exists.
struct Found {
  std::string stem;
  Sensor sensor = Sensor::none;
  std::string name;
  PerComponent<std::string> files;  // empty where none
  PerComponent<bool> lower{};       // the file has the lower-case ending
  PerComponent<std::string> unusable;  // where no file is: what stands there instead
  PerComponent<RecordBytes> in_memory{};  // members read from an archive
};

// Sets by their stem's absolute path and their sensor, so a set named twice
// is taken once.
class Stems {
 public:
  Found& at(const std::string& stem, Sensor sensor) {
    const std::string k = key(stem, sensor);
    auto it = by_key_.find(k);
    if (it == by_key_.end()) {
      const std::string name = station_name(fs::path(stem).filename().string(), sensor);
      it = by_key_.emplace(k, Found{stem, sensor, name, {}, {}, {}}).first;
    }
    return it->second;
  }
  // A set inside an archive, by the archive's absolute path, the member's
  // folder in it and the sensor; `stem` as reports show it ("ARCHIVE:STEM").
  Found& at_member(const std::string& key, const std::string& stem, Sensor sensor,
                   const std::string& name) {
    auto it = by_key_.find(key);
    if (it == by_key_.end()) it = by_key_.emplace(key, Found{stem, sensor, name, {}, {}, {}, {}}).first;
    return it->second;
  }
  Found* find(const std::string& stem, Sensor sensor) {
    auto it = by_key_.find(key(stem, sensor));
    return it == by_key_.end() ? nullptr : &it->second;
  }
  const std::map<std::string, Found>& all() const { return by_key_; }

 private:
  static std::string key(const std::string& stem, Sensor sensor) {
    std::error_code ec;
    fs::path path = fs::absolute(stem, ec);
    if (ec) path = stem;
    return path.lexically_normal().string() + '\0' + std::string(sensor_name(sensor));
  }
  std::map<std::string, Found> by_key_;
};

// How a conflict names a set: its stem, and the sensor when it has one.
std::string described(const Found& f) {
  if (f.sensor == Sensor::none) return f.stem;
  return "the " + std::string(sensor_name(f.sensor)) + " sensor of " + f.stem;
}

// True when some component file of a stem's sensor is a record.
bool has_set(const std::string& stem, Sensor sensor) {
  for (int c = 0; c < 3; ++c)
    if (component_file(stem, c, sensor)) return true;
  return false;
}

// The folder's record files, grouped by stem; false when it holds none.
bool search_folder(const std::string& folder, Stems& stems, std::vector<std::string>& problems) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec), end;
  if (ec) {
    problems.push_back(folder + ": cannot read the folder: " + ec.message());
    return true;
  }
  bool any = false;
  // Folders with a record's ending: named for a station found otherwise.
  struct Named {
    std::string stem;
    Sensor sensor;
    int component;
    std::string why;
  };
  std::vector<Named> folders;
  for (; it != end; it.increment(ec)) {
    const std::optional<RecordName> e = parse_record_name(it->path().filename().string());
    if (!e) continue;
    Probe p = probe(it->path());
    if (!p.record && p.unusable.empty()) continue;
    const std::string stem = (fs::path(folder) / e->stem).string();
    if (p.folder) {
      folders.push_back({stem, e->sensor, e->component, std::move(p.unusable)});
      continue;
    }
    Found& f = stems.at(stem, e->sensor);
    any = true;
    if (!p.record) {
      if (f.unusable[e->component].empty()) f.unusable[e->component] = std::move(p.unusable);
      continue;
    }
    std::string& slot = f.files[e->component];
    // Where both endings exist, the lower-case file is read, as the dialogue does.
    if (slot.empty() || (e->lower && !f.lower[e->component])) {
      slot = it->path().string();
      f.lower[e->component] = e->lower;
    }
  }
  if (ec) problems.push_back(folder + ": cannot read the folder: " + ec.message());
  for (Named& n : folders) {
    if (Found* f = stems.find(n.stem, n.sensor)) {
      std::string& why = f->unusable[n.component];
      if (why.empty()) why = std::move(n.why);
    }
  }
  return any;
}

// A member's plain file name as a record: its stem, component and sensor;
// none when it has no component ending or its stem could not name a folder.
std::optional<RecordName> member_record(const std::string& file) {
  std::optional<RecordName> r = parse_record_name(file);
  if (!r || !usable_name(r->stem)) return std::nullopt;
  return r;
}

std::string absolute_key(const std::string& path) {
  std::error_code ec;
  fs::path key = fs::absolute(path, ec);
  if (ec) key = path;
  return key.lexically_normal().string();
}

// The archive's record members, grouped by stem: a member's folder part is
// dropped, so a stem found twice in one archive is reported, not a second station.
void search_archive(const std::string& arg, Stems& stems, std::vector<std::string>& problems) {
  const textio::ArchiveContents contents = textio::read_archive_file(
      arg, [](const std::string& file) { return member_record(file).has_value(); });
  problems.insert(problems.end(), contents.problems.begin(), contents.problems.end());
  // The archive as the key's start, so the same archive named twice gives the same stems.
  const std::string key = absolute_key(arg) + ":";
  auto found = [&](const std::string& folder, const RecordName& r) -> Found& {
    return stems.at_member(key + r.stem + '\0' + std::string(sensor_name(r.sensor)),
                           folder + r.stem, r.sensor, station_name(r.stem, r.sensor));
  };
  bool any = false;
  for (const textio::ArchiveMember& m : contents.members) {
    const RecordName r = *member_record(m.file);
    Found& f = found(m.folder, r);
    const int c = r.component;
    any = true;
    if (f.in_memory[c].text && f.lower[c] == r.lower) {
      problems.push_back(m.name + ": a second " + std::string(component_name(c)) + " record of " +
                         r.stem + " in the archive, not read (" + f.files[c] + " is)");
      continue;
    }
    // Where both endings exist, the lower-case member is read, as from a folder.
    if (f.in_memory[c].text && f.lower[c]) continue;
    f.files[c] = m.name;
    f.lower[c] = r.lower;
    f.in_memory[c] = {m.bytes, arg};
  }
  for (const textio::SkippedMember& m : contents.skipped) {
    const RecordName r = *member_record(m.file);
    Found& f = found(m.folder, r);
    std::string& why = f.unusable[r.component];
    if (why.empty()) why = m.name + ": " + m.why;
    any = true;
  }
  if (!any && contents.problems.empty())
    problems.push_back(arg + ": no station in this archive (no record members ending " +
                       std::string(endings_text) + ")");
}

}  // namespace

std::string drop_component_ending(const std::string& name) {
  const std::optional<RecordName> r = path_record_name(name);
  return r ? r->stem : name;
}

std::optional<std::string> component_file(const std::string& stem, int c, Sensor sensor) {
  for (bool lower : {true, false}) {
    std::string file = stem + record_ending(c, sensor, lower);
    if (is_record(file)) return file;
  }
  return std::nullopt;
}

RecordNames dialogue_records(const std::string& stem, Sensor sensor) {
  std::string files[3];
  for (int c = 0; c < 3; ++c)
    files[c] = component_file(stem, c, sensor).value_or(stem + record_ending(c, sensor, true));
  return {files[0], files[1], files[2], false};
}

SetChoice choose_set(const std::string& name) {
  if (const std::optional<RecordName> r = path_record_name(name)) return {r->stem, r->sensor, {}, 1};
  const bool knet = has_set(name, Sensor::none), borehole = has_set(name, Sensor::borehole),
             surface = has_set(name, Sensor::surface);
  const int sets = int{knet} + int{borehole} + int{surface};
  if (knet) return {name, Sensor::none, {}, sets};
  if (borehole && surface) {
    // Named as the files are: NIED's are upper case.
    const bool lower = component_file(name, 0, Sensor::surface)
                           .value_or(name + ".NS")
                           .ends_with(record_ending(0, Sensor::surface, true));
    return {name, Sensor::none,
            name + " has the records of two sensors: name one of their files, " + name +
                record_ending(0, Sensor::borehole, lower) + " (borehole) or " + name +
                record_ending(0, Sensor::surface, lower) + " (surface)",
            sets};
  }
  return {name, borehole ? Sensor::borehole : surface ? Sensor::surface : Sensor::none, {}, sets};
}

StationSearch find_stations(const std::vector<std::string>& args) {
  StationSearch search;
  Stems stems;
  std::set<std::string> archives_read;
  for (const std::string& arg : args) {
    std::error_code ec;
    // An archive is read once, however often it is named.
    if (textio::is_archive_name(arg) && !fs::is_directory(arg, ec)) {
      if (archives_read.insert(absolute_key(arg)).second)
        search_archive(arg, stems, search.problems);
      continue;
    }
    // One of a set's files stands for that set; a bare stem for each of its sets.
    const std::optional<RecordName> named = path_record_name(arg);
    const std::string stem = named ? named->stem : arg;
    struct Set {
      Sensor sensor;
      PerComponent<std::string> files;
      PerComponent<Probe> probes;
      bool any = false;
    };
    std::vector<Set> sets;
    bool any = false;
    for (Sensor sensor : all_sensors) {
      if (named && named->sensor != sensor) continue;
      Set set{sensor, {}, {}, false};
      for (int c = 0; c < 3; ++c) {
        set.probes[c] = probe_component(stem, c, sensor, set.files[c]);
        set.any = set.any || set.probes[c].record ||
                  (!set.probes[c].unusable.empty() && !set.probes[c].folder);
      }
      any = any || set.any;
      sets.push_back(std::move(set));
    }
    // A name that is both a folder and a stem with record files is the stem:
    // the folder is most likely its outputs of an earlier run.
    if (!any && fs::is_directory(arg, ec)) {
      if (!search_folder(arg, stems, search.problems)) {
        search.problems.push_back(
            holds_outputs(arg)
                ? arg + ": a folder of outputs, with no station's record files: not searched"
                : arg + ": no station in this folder (no record files ending " +
                      std::string(endings_text) + "; sub folders are not searched)");
      }
      continue;
    }
    if (!any || !usable_name(fs::path(stem).filename().string())) {
      search.problems.push_back(arg + ": no station: neither a folder nor a stem with record files (" +
                                std::string(endings_text) + ")");
      continue;
    }
    for (const Set& set : sets) {
      if (!set.any) continue;
      Found& f = stems.at(stem, set.sensor);
      for (int c = 0; c < 3; ++c) {
        if (set.probes[c].record)
          f.files[c] = set.files[c];
        else if (!set.probes[c].unusable.empty())
          f.unusable[c] = set.probes[c].unusable;
      }
    }
  }

  std::map<std::string, std::string> stem_of_name;
  for (const auto& [key, f] : stems.all()) {
    auto [it, fresh] = stem_of_name.emplace(f.name, described(f));
    if (!fresh && search.conflict.empty()) {
      search.conflict = "two stations are named " + f.name + " (" + it->second + " and " + described(f) +
                        "); their outputs would share one folder";
    }
    if (!f.files[0].empty() && !f.files[1].empty() && !f.files[2].empty()) {
      Station station{f.name, {f.files[0], f.files[1], f.files[2], false}, f.sensor};
      station.records.in_memory = f.in_memory;
      search.stations.push_back(std::move(station));
    } else {
      IncompleteStation s{f.name, {}, {}};
      for (int c = 0; c < 3; ++c) {
        s.found[c] = !f.files[c].empty();
        if (!s.found[c]) s.unusable[c] = f.unusable[c];
      }
      search.incomplete.push_back(std::move(s));
    }
  }
  auto by_name = [](const auto& a, const auto& b) { return a.name < b.name; };
  std::sort(search.stations.begin(), search.stations.end(), by_name);
  std::sort(search.incomplete.begin(), search.incomplete.end(), by_name);
  return search;
}

std::string missing_components(const IncompleteStation& s) {
  std::vector<std::string> missing, unusable;
  for (int c = 0; c < 3; ++c) {
    if (s.found[c]) continue;
    if (s.unusable[c].empty())
      missing.emplace_back(component_name(c));
    else
      unusable.push_back(s.unusable[c]);
  }
  std::string text;
  if (!missing.empty()) text = "missing";
  for (std::size_t k = 0; k < missing.size(); ++k)
    text += (k == 0 ? " " : k + 1 == missing.size() ? " and " : ", ") + missing[k];
  for (const std::string& u : unusable) text += (text.empty() ? "" : "; ") + u;
  return text;
}

}  // namespace smproc
