#!/usr/bin/env bash
# tools/plot on hand-made files in the two output formats: usage errors exit 2,
# unreadable input exits 1 with the file named, overflowed fields, zero
# amplitudes and three-digit exponents still give a picture of the asked size.
# usage: plot_script.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source_dir="$1"
work="$2"
plot="$source_dir/tools/plot"
# shellcheck source=png.sh
. "$source_dir/tests/tools/png.sh"

rm -rf -- "$work"
mkdir -p -- "$work"
cd -- "$work" || exit 1

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect STATUS ARGS...: tools/plot ARGS exits with STATUS; its error text is in err.txt.
expect() {
  local want="$1"
  shift
  "$plot" "$@" >out.txt 2>err.txt
  local got=$?
  [ "$got" -eq "$want" ] || fail "plot $* exited $got, wanted $want: $(cat err.txt)"
}

cat >vel.csv <<'CSV'
 time(s),NS,EW,UD
   0.000,      0.0000,      0.0000,      0.0000,
   0.010,     12.3450,     -0.0012,      3.0000,
   0.020,************,      1.5000,     -3.0000,
   0.030,     -8.2500,     -0.7500,      1.2500,
   0.040,      2.0000,      0.2500,     -0.5000,
CSV
# EW was removed entirely; NS has a bin too small for a two-digit exponent.
cat >amp3.csv <<'CSV'
 frequency(Hz),NS,EW,UD
  0.0122,  0.0000E+00,  0.0000E+00,  0.1000E-01,
  0.0244,  0.1235E+02,  0.0000E+00,  0.3000E+01,
  0.0366,  0.1000-119,  0.0000E+00,  0.2500E+01,
  0.0488,  0.8000E+01,  0.0000E+00,  0.1200E-02,
  0.0610,  0.4000E+01,  0.0000E+00,  0.6000E-03,
CSV
cat >zero.csv <<'CSV'
 frequency(Hz),NS,EW,UD
  0.0122,  0.0000E+00,  0.0000E+00,  0.0000E+00,
  0.0244,  0.0000E+00,  0.0000E+00,  0.0000E+00,
CSV

# Usage errors.
expect 0 --help
{ grep -q 'waveform' out.txt && grep -q 'spectrum' out.txt; } || fail "--help does not name both kinds"
expect 2
expect 2 waveform
expect 2 histogram vel.csv
expect 2 waveform vel.csv --colour red
expect 2 waveform vel.csv extra.csv
expect 2 waveform vel.csv -o
for size in 800 800x 0x600 800-600 x600 800x600x2 10x10; do
  expect 2 waveform vel.csv --size "$size"
done

# Input that cannot be drawn.
expect 1 waveform missing.csv -o missing.png
grep -q 'missing.csv' err.txt || fail "the error for a missing file does not name it"
[ ! -e missing.png ] || fail "a picture was written for a missing file"
expect 1 waveform amp3.csv -o wrong.png
grep -q 'not a waveform file' err.txt || fail "a spectrum file passed for a waveform file"
expect 1 spectrum vel.csv -o wrong.png
expect 1 waveform vel.csv -o no-such-folder/vel.png

if ! command -v gnuplot >/dev/null 2>&1; then
  echo "SKIP: gnuplot is not installed (tools/setup installs gnuplot-nox); usage checks: $failures failed"
  [ "$failures" -eq 0 ] && exit 77
  exit 1
fi

expect 0 waveform vel.csv -o vel.png --units cm/s --size 640x360
expect_png vel.png 640 360 || failures=$((failures + 1))

expect 0 waveform vel.csv
expect_png vel.png 1000 800 || failures=$((failures + 1))

expect 0 spectrum amp3.csv -o amp3.png --units 'cm/s*s' --size 500x400
expect_png amp3.png 500 400 || failures=$((failures + 1))
grep -q 'EW' err.txt || fail "a spectrum column without a drawable value is not reported"

# Quotes in a label must not end gnuplot's string.
expect 0 waveform vel.csv -o quoted.png --units "it's" --title 'a "title"'
expect_png quoted.png 1000 800 || failures=$((failures + 1))

expect 1 spectrum zero.csv -o zero.png

# In a station's folder the unit and title come from its answers.txt, as
# the dialogue reads it; options given still count.
mkdir -p station
cp vel.csv amp3.csv station/
printf '1\n0\n1\n0\n1\n0.1 0.2 20 25\n2\n0\n0\ndis.csv\n\n' >station/answers.txt
expect 0 waveform station/vel.csv -o station.png
grep -qF "the unit cm and the title 'station vel.csv: displacement, band-pass 0.1 0.2 20 25 Hz' from station/answers.txt" err.txt ||
  fail "the unit and title of a station's answers were not taken: $(cat err.txt)"
expect_png station.png 1000 800 || failures=$((failures + 1))
expect 0 spectrum station/amp3.csv -o station.png --title mine
grep -qF "note: the unit cm*s from station/answers.txt" err.txt ||
  fail "the spectrum's unit of a station's answers was not taken: $(cat err.txt)"
printf '0\n0\n3\n0\n0\nacc.csv\n\n' >station/answers.txt
expect 0 waveform station/vel.csv -o station.png --units gal
grep -qF "the title 'station vel.csv: acceleration derivative' from" err.txt ||
  fail "a differentiated station's title was not taken: $(cat err.txt)"
grep -q 'the unit' err.txt && fail "--units did not win over the station's answers"
printf 'no answers here\n' >station/answers.txt
expect 0 waveform station/vel.csv -o station.png
grep -q 'answers.txt' err.txt && fail "answers that do not read were used: $(cat err.txt)"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "PASS"
