#!/usr/bin/env bash
# Redraws every picture in res/ from its source in res/src/ and checks it.
# The outputs are committed, so a build never needs this script or its tools:
# run it after changing a source. Needs rsvg-convert (librsvg2-bin), python3
# and the fonts the splash and side-bar pictures name (URW Gothic,
# WenQuanYi Micro Hei); as root on Debian it installs what is missing.
set -euo pipefail

res=$(cd "$(dirname "$0")" && pwd)
src=$res/src
tool="python3 $src/bmptool.py"

missing=()
command -v rsvg-convert >/dev/null || missing+=(librsvg2-bin)
command -v fc-list >/dev/null || missing+=(fontconfig)
if command -v fc-list >/dev/null; then
  fc-list | grep -q "URW Gothic" || missing+=(fonts-urw-base35)
  fc-list | grep -q "WenQuanYi Micro Hei" || missing+=(fonts-wqy-microhei)
fi
if ((${#missing[@]})); then
  if [[ $(id -u) == 0 ]] && command -v apt-get >/dev/null; then
    apt-get update -qq && apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "render.sh: install ${missing[*]} first" >&2
    exit 1
  fi
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# svg_to NAME SOURCE [WIDTH HEIGHT]: renders SOURCE to $tmp/NAME.png.
svg_to() {
  if (($# == 4)); then
    rsvg-convert -w "$3" -h "$4" "$src/$2" -o "$tmp/$1.png"
  else
    rsvg-convert "$src/$2" -o "$tmp/$1.png"
  fi
}

# bitmap BPP OUTPUT SOURCE SIZE
bitmap() {
  local name=${2%.bmp}
  svg_to "$name" "$3"
  $tool "bmp$1" "$tmp/$name.png" "$res/$2" "$4"
  local report
  report=$($tool check "$res/$2" "$4" "$1")
  printf '%-18s %s\n' "$2" "$report"
}

# scaled W H PERCENT: the design size W x H at PERCENT, each side rounded half up
# (the program rounds its layout the same way, so a picture meets its place 1:1).
scaled() { echo "$(( ($1 * $3 + 50) / 100 ))x$(( ($2 * $3 + 50) / 100 ))"; }

# picture BPP NAME W H [CELL]: NAME.svg at 100 % into NAME.bmp and at 125, 150 and
# 200 % into dpi/NAME_PERCENT.bmp. A strip of square cells (CELL = its design
# cell) is rendered cell-exact: its width is the scaled cell times the count.
picture() {
  local bpp=$1 name=$2 w=$3 h=$4 cell=${5:-} pct size
  bitmap "$bpp" "$name.bmp" "$name.svg" "${w}x$h"
  mkdir -p "$res/dpi"
  for pct in 125 150 200; do
    if [[ -n $cell ]]; then
      local side=$(( (cell * pct + 50) / 100 ))
      size="$(( w / cell * side ))x$side"
    else
      size=$(scaled "$w" "$h" "$pct")
    fi
    svg_to "${name}_$pct" "$name.svg" "${size%x*}" "${size#*x}"
    $tool "bmp$bpp" "$tmp/${name}_$pct.png" "$res/dpi/${name}_$pct.bmp" "$size"
    printf '%-18s %s\n' "dpi/${name}_$pct.bmp" "$($tool check "$res/dpi/${name}_$pct.bmp" "$size" "$bpp")"
  done
}

picture 32 imagelist 368 16 16
picture 24 splash 430 250
picture 24 sidebar 142 60
picture 24 caption 800 22
picture 24 titlebuttons 372 17
picture 32 menuicon 22 22
picture 32 sidebuttons 240 24 24

svg_to icon16 appicon16.svg
svg_to icon32 emblem.svg 32 32
svg_to icon48 emblem.svg 48 48
$tool ico "$res/vantorra.ico" "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png"
report=$($tool checkico "$res/vantorra.ico" 16 32 48)
printf '%-18s %s\n' vantorra.ico "$report"

# The title buttons are drawn over the bar: their plain columns must carry
# exactly the bar's colours, and hover and pressed plates must leave the
# first and last column of each cell (the buttons overlap by one column).
$tool matchbar "$res/titlebuttons.bmp" "$res/caption.bmp"
