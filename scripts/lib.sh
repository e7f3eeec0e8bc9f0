# Shared set-up for scripts/run, scripts/test, scripts/bench and scripts/screenshots.
# Sourced, not run. Everything lands in $BUILD (default: build/ beside the sources).

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
BUILD_TYPE=${BUILD_TYPE:-Release}

export WINEPREFIX=$BUILD/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=zh_CN.UTF-8
export LC_ALL=zh_CN.UTF-8
# Wine's recycle bin is the freedesktop trash below XDG_DATA_HOME: keep it in the build folder.
export XDG_DATA_HOME=$BUILD/xdg-data
export XDG_CONFIG_HOME=$BUILD/xdg-config
export XDG_CACHE_HOME=$BUILD/xdg-cache

PACKAGES=(cmake make g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest
          wine wine64 xvfb xauth x11-utils locales fonts-wqy-microhei imagemagick
          fp-utils zip unzip ccache ntfs-3g attr id3v2 eyed3 lame ffmpeg)

log() { printf '[%s] %s\n' "$(basename "$0")" "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    log "installing: ${missing[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq </dev/null >/dev/null
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" </dev/null >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
    log "generating the zh_CN.UTF-8 locale"
    as_root sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
  fi
}

build_all() {
  local targets=("$@") launcher=()
  # A compiler cache shared by every checkout of the project: paths below the
  # checkout count relative to it, so a second clone reuses the first one's objects.
  if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=$ROOT CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  LC_ALL=C cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE="$BUILD_TYPE" "${launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" >/dev/null
  LC_ALL=C cmake --build "$BUILD" -j"$(nproc)" ${targets:+--target "${targets[@]}"}
}

# Replace a link that Wine made into the host's home with a real folder of the prefix.
seal_prefix() {
  local u d
  rm -f "$WINEPREFIX/dosdevices/z:"
  for u in "$WINEPREFIX"/drive_c/users/*; do
    [ -d "$u" ] || continue
    for d in "$u"/* "$u"/AppData/*/*; do
      if [ -L "$d" ]; then rm -f "$d"; mkdir -p "$d"; fi
    done
  done
}

# A persistent wineserver with the prefix's services started once, their output thrown away:
# otherwise they inherit the pipes of the first Wine process and every test waits on them.
start_wine() {
  mkdir -p "$XDG_DATA_HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creating the Wine prefix in $WINEPREFIX"
    wineboot --init </dev/null >/dev/null 2>&1 || true
    wineserver -w
  fi
  seal_prefix
  wineserver -p </dev/null >/dev/null 2>&1 || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  seal_prefix
  # Xvfb has no window manager: Wine would wait two seconds for one each time a
  # managed window hides. On a real desktop the window manager takes them again.
  if [ -n "$XVFB_PID" ]; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
  else
    wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f </dev/null >/dev/null 2>&1 || true
  fi
}

stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
}

XVFB_PID=
start_xvfb() {
  local n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      # Another checkout's run may have taken the same number a moment earlier: the
      # display is ours only when its lock names our server.
      if xdpyinfo >/dev/null 2>&1; then
        [ "$(tr -d ' ' <"/tmp/.X$n-lock" 2>/dev/null)" = "$XVFB_PID" ] && return 0
        break
      fi
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null
  done
  log "could not start Xvfb"; return 1
}

stop_xvfb() {
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  XVFB_PID=
}

# Copy the program into the prefix's drive C, so that its own folder is an ordinary Windows path.
APP_DIR_WIN='C:\WindowsVantorra'
install_app() {
  mkdir -p "$WINEPREFIX/drive_c/WindowsVantorra"
  cp "$BUILD/WindowsVantorra.exe" "$WINEPREFIX/drive_c/WindowsVantorra/"
  # The help file goes beside the program, where the menu's help item looks for it.
  if [ -f "$BUILD/HelpMe.chm" ]; then cp "$BUILD/HelpMe.chm" "$WINEPREFIX/drive_c/WindowsVantorra/"; fi
}
