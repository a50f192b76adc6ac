#!/usr/bin/env bash
# Installs into a fresh prefix and runs the installed program on the example.
# usage: install_test.sh BUILD_DIR WORK_DIR SOURCE_DIR
set -euo pipefail
build=$1 work=$2 src=$3
rm -rf "$work"
mkdir -p "$work/run"
cmake --install "$build" --prefix "$work/prefix" >/dev/null

bin=$work/prefix/bin
[ -x "$bin/smproc" ] || { echo "smproc not installed"; exit 1; }
[ -x "$bin/smproc-plot" ] || { echo "smproc-plot not installed"; exit 1; }
[ "$("$bin/smproc" --version)" = "smproc $("$build/smproc" --version | cut -d' ' -f2)" ]
"$bin/smproc-plot" --help >/dev/null

cd "$work/run"
"$bin/smproc" "$src/examples/tky0070410231756" < "$src/examples/velocity.answers" >/dev/null
[ "$(wc -l < vel.csv)" -eq 6001 ] || { echo "vel.csv has $(wc -l < vel.csv) lines"; exit 1; }
[ "$(head -1 vel.csv)" = " time(s),NS,EW,UD" ]
[ "$(wc -l < amp3.csv)" -eq 4097 ]
echo "installed program ran the example"
