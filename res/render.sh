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

bitmap 32 imagelist.bmp imagelist.svg 368x16
bitmap 24 splash.bmp splash.svg 430x250
bitmap 24 sidebar.bmp sidebar.svg 142x60
bitmap 24 caption.bmp caption.svg 800x22
bitmap 24 titlebuttons.bmp titlebuttons.svg 372x17
bitmap 32 menuicon.bmp menuicon.svg 22x22
bitmap 32 sidebuttons.bmp sidebuttons.svg 240x24

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
