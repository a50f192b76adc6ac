# What bench/compare and bench/steps share: the tools they need, the working
# folder, building a revision, the two record sets with the velocity job's
# answers, running the job into a folder, and reading the timings back.
# Sourced, not run; the script sets `me` (its name, for messages) first.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

# The files a job's run leaves that every build must write alike.
compared_files=(status.txt console.txt stderr.txt amp3.csv vel.csv)
# The benchmarks timed beside the whole processes.
bench_filter='^BM_wvfast/32768$|^BM_whole_run$'

need_tools() {
  local tool
  for tool in git cmake hyperfine; do
    command -v "$tool" >/dev/null || { echo "$me: $tool is missing (tools/setup installs it)" >&2; exit 2; }
  done
}

# Makes the temporary folder `tmp`, removed at the exit unless kept (1).
make_workdir() {  # keep
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/smproc-$me-XXXXXX")
  if [ "$1" -eq 1 ]; then
    echo "$me: working folder $tmp"
  else
    trap 'rm -rf "$tmp"' EXIT
  fi
}

# The short hash of a revision; a message and status 1 when there is none.
revision_sha() {  # rev
  git -C "$root" rev-parse --short --verify "$1^{commit}" 2>/dev/null ||
    { echo "$me: no revision '$1'" >&2; return 1; }
}

# The sources of a revision, as committed, into a folder.
export_revision() {  # sha folder
  mkdir -p "$2"
  git -C "$root" archive "$1" | tar -x -C "$2"
}

# Builds smproc in Release, and smproc_bench when wanted (1) and the sources
# have it; stops the script with the build's log when the build fails.
build_smproc() {  # sources folder want-bench label [cmake-argument...]
  local src=$1 dir=$2 want_bench=$3 name=$4 targets=(smproc) with_bench=OFF
  shift 4
  if [ "$want_bench" -eq 1 ] && grep -qs smproc_bench "$src/bench/CMakeLists.txt"; then
    with_bench=ON
    targets+=(smproc_bench)
  fi
  if ! { cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DSMPROC_TESTS=OFF \
           -DSMPROC_BENCH=$with_bench "$@" &&
         cmake --build "$dir" -j"$jobs" --target "${targets[@]}"; } >"$dir.log" 2>&1; then
    cat "$dir.log" >&2
    echo "$me: build of $name failed" >&2
    exit 1
  fi
}

# The record sets in $tmp/data (the 32768-sample benchmark set from
# make_records.cpp and the 6000-sample example set, each as rec.ns, rec.ew,
# rec.ud) and the velocity job's answers; `sets` and `label` name them.
make_record_sets() {
  local c
  "${CXX:-c++}" -std=c++20 -O2 -Wall -Wextra -Wpedantic -o "$tmp/make_records" "$root/bench/make_records.cpp"
  "$tmp/make_records" "$tmp/data/bench32768" 32768
  mkdir -p "$tmp/data/example6000"
  for c in ns ew ud; do cp "$root/examples/tky0070410231756.$c" "$tmp/data/example6000/rec.$c"; done
  printf '0\n1\n0.1 0.2 20 25\n1\n0\n0\nvel.csv\n\n' >"$tmp/data/velocity.answers"
  sets=(bench32768 example6000)
  declare -gA label=([bench32768]="32768 samples" [example6000]="6000 samples (example)")
}

# Runs the velocity job of a program on a set in a fresh folder, keeping its
# console text, standard error and exit status beside its outputs.
run_job() {  # set program folder
  local c status=0
  mkdir -p "$3"
  for c in ns ew ud; do ln -s "$tmp/data/$1/rec.$c" "$3/rec.$c"; done
  (cd "$3" && "$2" rec.ns rec.ew rec.ud <"$tmp/data/velocity.answers" \
     >console.txt 2>stderr.txt) || status=$?
  echo "$status" >"$3/status.txt"
}

# The shell command hyperfine times: the job in the folder run_job made.
job_command() {  # program folder
  echo "cd '$2' && '$1' rec.ns rec.ew rec.ud <'$tmp/data/velocity.answers' >/dev/null"
}

# The median of the numbers on standard input.
median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# A benchmark's time in milliseconds from one CSV of smproc_bench: column 3
# real time, 4 processor time.
bench_ms() {  # file name [column]
  awk -F, -v n="\"$2\"" -v c="${3:-3}" '$1 == n {
    f = ($5 == "ns") ? 1e-6 : ($5 == "us") ? 1e-3 : ($5 == "s") ? 1e3 : 1
    print $c * f
  }' "$1"
}
