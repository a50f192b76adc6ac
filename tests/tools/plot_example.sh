#!/usr/bin/env bash
# The velocity job on the example records, then tools/plot on its two output
# files: both pictures come out at the requested size.
# usage: plot_example.sh SMPROC SOURCE_DIR WORK_DIR
set -euo pipefail
smproc="$1"
source_dir="$2"
work="$3"
# shellcheck source=png.sh
. "$source_dir/tests/tools/png.sh"

if ! command -v gnuplot >/dev/null 2>&1; then
  echo "SKIP: gnuplot is not installed (tools/setup installs gnuplot-nox)"
  exit 77
fi

rm -rf -- "$work"
mkdir -p -- "$work"
cp -- "$source_dir"/examples/tky0070410231756.ns "$source_dir"/examples/tky0070410231756.ew \
  "$source_dir"/examples/tky0070410231756.ud "$work"/
cd -- "$work"

if ! "$smproc" <"$source_dir/examples/velocity.answers" >console.txt 2>errors.txt; then
  echo "FAIL: smproc ended abnormally on the velocity answers" >&2
  cat errors.txt >&2
  exit 1
fi
for f in vel.csv amp3.csv; do
  if [ ! -s "$f" ]; then
    echo "FAIL: the velocity job left no $f" >&2
    exit 1
  fi
done

plot="$source_dir/tools/plot"
"$plot" waveform vel.csv -o vel.png --units cm/s --size 640x480
"$plot" spectrum amp3.csv -o amp3.png --units 'cm/s*s' --size 800x600

expect_png vel.png 640 480
expect_png amp3.png 800 600
echo "PASS: vel.png 640x480, amp3.png 800x600"
