#!/usr/bin/env bash
# The README's lines for reading the outputs, run as they stand there on the
# example's velocity job: both files come out as four columns of numbers, the
# same numbers as a plain reading of each row's fields.
# usage: readme_reading.sh pandas|r SMPROC SOURCE_DIR WORK_DIR
# Exit status 77 (skipped) when the language or pandas is not installed.
set -euo pipefail
language=$1 smproc=$2 src=$3 work=$4

# The system's python: a python3 first on the path may be one without pandas.
python=/usr/bin/python3
case "$language" in
  pandas)
    if ! "$python" -c 'import pandas' 2>/dev/null; then
      echo "SKIP: pandas is not installed for $python (tools/setup installs python3-pandas)"
      exit 77
    fi
    fence='```python' ;;
  r)
    if ! command -v Rscript >/dev/null 2>&1; then
      echo "SKIP: R is not installed (Debian package r-base-core)"
      exit 77
    fi
    fence='```r' ;;
  *) echo "usage: readme_reading.sh pandas|r SMPROC SOURCE_DIR WORK_DIR" >&2; exit 2 ;;
esac

rm -rf "$work"
mkdir -p "$work"
cd "$work"
"$smproc" "$src/examples/tky0070410231756" < "$src/examples/velocity.answers" > console.txt

# The first block of the language in the README's section on reading the outputs.
awk -v fence="$fence" '
  /^## / { inside = ($0 == "## Reading the outputs in Python and R") }
  inside && !copying && $0 == fence { copying = 1; next }
  copying && /^```/ { exit }
  copying { print }
' "$src/README.md" > snippet
[ -s snippet ] || { echo "no $fence block in the README's section on reading the outputs"; exit 1; }

# Each test reads the two frames the snippet made and compares them with the
# files read field by field, without the snippet's reader.
if [ "$language" = pandas ]; then
  cat snippet - > check.py <<'PY'

import math

def plain(name):
    with open(name) as f:
        header = [h.strip() for h in f.readline().split(",")]
        rows = [[float(x) for x in line.split(",")[:-1]] for line in f]
    return header, rows

for frame, name, columns, count in ((wave, "vel.csv", ["time(s)", "NS", "EW", "UD"], 6000),
                                    (spectra, "amp3.csv", ["frequency(Hz)", "NS", "EW", "UD"], 4096)):
    header, rows = plain(name)
    assert header == columns, header
    assert list(frame.columns) == columns, list(frame.columns)
    assert len(frame) == count == len(rows), (name, len(frame), len(rows))
    assert all(str(t) == "float64" for t in frame.dtypes), (name, list(frame.dtypes))
    for r, row in enumerate(rows):
        assert list(frame.iloc[r]) == row, (name, r, list(frame.iloc[r]), row)
assert list(wave.iloc[0]) == [0.0, 0.2581, 0.0354, 0.0382], list(wave.iloc[0])
assert math.isclose(peaks["NS"], max(abs(v) for v in wave["NS"]))
assert wave["time(s)"].iloc[1] == 0.01
print("the README's pandas lines read both files")
PY
  "$python" check.py
else
  cat snippet - > check.R <<'RSCRIPT'

plain <- function(name) {
  lines <- readLines(name)
  rows <- lapply(strsplit(lines[-1], ","), as.numeric)
  do.call(rbind, rows)
}
check <- function(frame, name, columns, count) {
  rows <- plain(name)
  stopifnot(identical(names(frame), columns), nrow(frame) == count, nrow(rows) == count,
            all(sapply(frame, is.numeric)), all(as.matrix(frame) == rows[, 1:4]))
}
check(wave, "vel.csv", c("time(s)", "NS", "EW", "UD"), 6000)
check(spectra, "amp3.csv", c("frequency(Hz)", "NS", "EW", "UD"), 4096)
stopifnot(all(unlist(wave[1, ]) == c(0, 0.2581, 0.0354, 0.0382)), peaks[["NS"]] == max(abs(wave$NS)))
cat("the README's R lines read both files\n")
RSCRIPT
  Rscript check.R
fi
