#include "run/stations.h"

#include "files/archive.h"
#include "records/component.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
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
Probe probe_component(const std::string& stem, int c, std::string& file) {
  Probe first;
  for (const char* ending : {lower_endings[c], upper_endings[c]}) {
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

// One stem as found: its path, and each component's file where one exists.
struct Found {
  std::string stem;
  std::string name;
  PerComponent<std::string> files;  // empty where none
  PerComponent<bool> lower{};       // the file has the lower-case ending
  PerComponent<std::string> unusable;  // where no file is: what stands there instead
  PerComponent<RecordBytes> in_memory{};  // members read from an archive
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
      it = by_key_.emplace(k, Found{stem, fs::path(stem).filename().string(), {}, {}, {}})
               .first;
    }
    return it->second;
  }
  // A stem inside an archive, by the archive's absolute path and the
  // member's folder in it; `stem` as reports show it ("ARCHIVE:STEM").
  Found& at_member(const std::string& key, const std::string& stem, const std::string& name) {
    auto it = by_key_.find(key);
    if (it == by_key_.end()) it = by_key_.emplace(key, Found{stem, name, {}, {}, {}}).first;
    return it->second;
  }
  Found* find(const std::string& stem) {
    std::error_code ec;
    fs::path key = fs::absolute(stem, ec);
    if (ec) key = stem;
    auto it = by_key_.find(key.lexically_normal().string());
    return it == by_key_.end() ? nullptr : &it->second;
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
  // Folders with a record's ending: named for a station found otherwise.
  struct Named {
    std::string stem;
    int component;
    std::string why;
  };
  std::vector<Named> folders;
  for (; it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    const Ending e = ending_of(file);
    if (e.component < 0) continue;
    const std::string name = file.substr(0, file.size() - 3);
    if (!usable_name(name)) continue;
    Probe p = probe(it->path());
    if (!p.record && p.unusable.empty()) continue;
    const std::string stem = (fs::path(folder) / name).string();
    if (p.folder) {
      folders.push_back({stem, e.component, std::move(p.unusable)});
      continue;
    }
    Found& f = stems.at(stem);
    any = true;
    if (!p.record) {
      if (f.unusable[e.component].empty()) f.unusable[e.component] = std::move(p.unusable);
      continue;
    }
    std::string& slot = f.files[e.component];
    // Where both endings exist, the lower-case file is read, as the dialogue does.
    if (slot.empty() || (e.lower && !f.lower[e.component])) {
      slot = it->path().string();
      f.lower[e.component] = e.lower;
    }
  }
  if (ec) problems.push_back(folder + ": cannot read the folder: " + ec.message());
  for (Named& n : folders) {
    if (Found* f = stems.find(n.stem)) {
      std::string& why = f->unusable[n.component];
      if (why.empty()) why = std::move(n.why);
    }
  }
  return any;
}

// A member's plain file name as a record: its stem and component; none
// when it has no component ending or its stem could not name a folder.
struct MemberRecord {
  std::string stem;
  Ending ending;
};

std::optional<MemberRecord> member_record(const std::string& file) {
  const Ending e = ending_of(file);
  if (e.component < 0) return std::nullopt;
  std::string stem = file.substr(0, file.size() - 3);
  if (!usable_name(stem)) return std::nullopt;
  return MemberRecord{std::move(stem), e};
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
  auto found = [&](const std::string& folder, const std::string& stem) -> Found& {
    return stems.at_member(key + stem, folder + stem, stem);
  };
  bool any = false;
  for (const textio::ArchiveMember& m : contents.members) {
    const MemberRecord r = *member_record(m.file);
    Found& f = found(m.folder, r.stem);
    const int c = r.ending.component;
    any = true;
    if (f.in_memory[c].text && f.lower[c] == r.ending.lower) {
      problems.push_back(m.name + ": a second " + std::string(component_name(c)) + " record of " +
                         r.stem + " in the archive, not read (" + f.files[c] + " is)");
      continue;
    }
    // Where both endings exist, the lower-case member is read, as from a folder.
    if (f.in_memory[c].text && f.lower[c]) continue;
    f.files[c] = m.name;
    f.lower[c] = r.ending.lower;
    f.in_memory[c] = {m.bytes, arg};
  }
  for (const textio::SkippedMember& m : contents.skipped) {
    const MemberRecord r = *member_record(m.file);
    Found& f = found(m.folder, r.stem);
    std::string& why = f.unusable[r.ending.component];
    if (why.empty()) why = m.name + ": " + m.why;
    any = true;
  }
  if (!any && contents.problems.empty())
    problems.push_back(arg +
                       ": no station in this archive (no .ns, .ew, .ud or .NS, .EW, .UD "
                       "record members)");
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
  std::set<std::string> archives_read;
  for (const std::string& arg : args) {
    std::error_code ec;
    // An archive is read once, however often it is named.
    if (textio::is_archive_name(arg) && !fs::is_directory(arg, ec)) {
      if (archives_read.insert(absolute_key(arg)).second)
        search_archive(arg, stems, search.problems);
      continue;
    }
    const std::string stem = drop_component_ending(arg);
    PerComponent<std::string> files;
    PerComponent<Probe> probes;
    bool any = false;
    for (int c = 0; c < 3; ++c) {
      probes[c] = probe_component(stem, c, files[c]);
      any = any || probes[c].record || (!probes[c].unusable.empty() && !probes[c].folder);
    }
    // A name that is both a folder and a stem with record files is the stem:
    // the folder is most likely its outputs of an earlier run.
    if (!any && fs::is_directory(arg, ec)) {
      if (!search_folder(arg, stems, search.problems)) {
        search.problems.push_back(
            holds_outputs(arg)
                ? arg + ": a folder of outputs, with no station's record files: not searched"
                : arg + ": no station in this folder (no .ns, .ew, .ud or .NS, .EW, "
                        ".UD record files; sub folders are not searched)");
      }
      continue;
    }
    if (!any || !usable_name(fs::path(stem).filename().string())) {
      search.problems.push_back(arg +
                                ": no station: neither a folder nor a stem with .ns, .ew, "
                                ".ud (or .NS, .EW, .UD) record files");
      continue;
    }
    Found& f = stems.at(stem);
    for (int c = 0; c < 3; ++c) {
      if (probes[c].record)
        f.files[c] = files[c];
      else if (!probes[c].unusable.empty())
        f.unusable[c] = probes[c].unusable;
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
      Station station{f.name, {f.files[0], f.files[1], f.files[2], false}};
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
