#!/usr/bin/env bash
# The README's pandas lines for the intensity measures, run as they stand
# there on an event of the example's station: every file they read parses,
# with the columns the README names.
# usage: readme_measures.sh SMPROC SOURCE_DIR WORK_DIR
# Exit status 77 (skipped) when pandas is not installed.
set -euo pipefail
smproc=$1 src=$2 work=$3

python=/usr/bin/python3
if ! "$python" -c 'import pandas' 2>/dev/null; then
  echo "SKIP: pandas is not installed for $python (tools/setup installs python3-pandas)"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work/event"
cd "$work"
for c in ns ew ud; do cp "$src/examples/tky0070410231756.$c" event/; done
"$smproc" --metrics --answers "$src/examples/velocity.answers" -o out event > table.txt

awk '
  /^## / { inside = ($0 == "## Intensity measures") }
  inside && !copying && $0 == "```python" { copying = 1; next }
  copying && /^```/ { exit }
  copying { print }
' "$src/README.md" > snippet
[ -s snippet ] || { echo "no python block in the README's section on intensity measures"; exit 1; }

cat snippet - > check.py <<'PY'

assert len(summary) == 1 and summary["status"].iloc[0] == "ok", summary
assert summary["jma_class"].iloc[0] in ("0", "1", "2", "3", "4", "5-", "5+", "6-", "6+", "7")
assert "psa_rotd50_1_gal" in summary.columns
assert list(spectra.columns) == ["damping", "period_s", "psa_ns_gal", "psa_ew_gal", "psa_ud_gal",
                                 "psa_rotd50_gal", "psa_rotd100_gal"], list(spectra.columns)
assert len(spectra) == 21 and all(str(t) == "float64" for t in spectra.dtypes)
assert list(fas.columns) == ["frequency_hz", "fas_ns_gal_s", "fas_ew_gal_s", "fas_ud_gal_s"]
assert measures["samples"] == 6000 and measures["jma"]["class"] == summary["jma_class"].iloc[0]
assert len(packet["features"]) == 1
print("the README's lines read every file of the measures")
PY
"$python" check.py
