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
# The plot tool names itself as installed.
plot_help=$("$bin/smproc-plot" --help)
grep -q '^usage: smproc-plot waveform ' <<<"$plot_help" ||
  { echo "smproc-plot --help does not name smproc-plot"; exit 1; }

# The answer files and the records they run on, and the guide.
share=$work/prefix/share
for f in "$src"/examples/*.answers "$src"/examples/tky0070410231756.{ns,ew,ud}; do
  cmp -s "$f" "$share/smproc/examples/$(basename "$f")" ||
    { echo "$(basename "$f") not installed in share/smproc/examples"; exit 1; }
done
cmp -s "$src/README.md" "$share/doc/smproc/README.md" || { echo "README.md not installed"; exit 1; }
# Its pictures, where its links look for them.
for picture in $(grep -o 'docs/images/[^)]*\.png' "$src/README.md" || true); do
  [ -s "$share/doc/smproc/$picture" ] || { echo "$picture not installed beside README.md"; exit 1; }
done

# The man page follows the help text: every option the help names is in it.
man=$share/man/man1/smproc.1
[ -s "$man" ] || { echo "man page smproc.1 not installed"; exit 1; }
grep -q '^\.TH SMPROC "\{0,1\}1' "$man" || { echo "smproc.1 is not a section 1 man page"; exit 1; }
page=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$man")
options=$("$bin/smproc" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
[ -n "$options" ] || { echo "smproc --help names no option"; exit 1; }
for option in $options; do
  grep -q -- "$option" <<<"$page" || { echo "man page lacks $option"; exit 1; }
done

cd "$work/run"
"$bin/smproc" "$src/examples/tky0070410231756" < "$src/examples/velocity.answers" >/dev/null
[ "$(wc -l < vel.csv)" -eq 6001 ] || { echo "vel.csv has $(wc -l < vel.csv) lines"; exit 1; }
[ "$(head -1 vel.csv)" = " time(s),NS,EW,UD" ]
[ "$(wc -l < amp3.csv)" -eq 4097 ]
echo "installed program ran the example"
