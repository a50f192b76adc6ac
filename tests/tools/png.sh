# Helpers for the tool tests: checking a PNG picture by its header.
# shellcheck shell=bash

# png_size FILE: prints "WIDTH HEIGHT" from the IHDR chunk; fails when FILE
# does not start like a PNG.
png_size() {
  local head
  head="$(od -An -tx1 -N16 -- "$1" | tr -d ' \n')"
  # Signature, then the IHDR chunk: length 13 and its name.
  [ "$head" = "89504e470d0a1a0a0000000d49484452" ] || return 1
  local b
  read -r -a b <<<"$(od -An -tu1 -j16 -N8 -- "$1" | tr '\n' ' ')"
  [ "${#b[@]}" -eq 8 ] || return 1
  echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3])) $(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}

# expect_png FILE WIDTH HEIGHT: FILE is a non-empty PNG of that pixel size.
expect_png() {
  local file="$1" want="$2 $3" got
  if [ ! -s "$file" ]; then
    echo "FAIL: $file is missing or empty" >&2
    return 1
  fi
  if ! got="$(png_size "$file")"; then
    echo "FAIL: $file is not a PNG picture" >&2
    return 1
  fi
  if [ "$got" != "$want" ]; then
    echo "FAIL: $file is ${got/ /x} pixels, wanted ${want/ /x}" >&2
    return 1
  fi
}
