#!/usr/bin/env bash
# A Wine session for the Windows build's tests: a virtual display with a window manager and a
# persistent Wine server with its own prefix in the build folder.
#
# Sourced, it sets up the session in the calling shell and ends it when that shell exits:
#     source scripts/wine-session.sh build/mingw && ctest --preset mingw
# Run, it wraps one command and ends the session after it:
#     scripts/wine-session.sh build/mingw ctest --preset mingw
# With --boot it only makes the prefix when there is none (no display needed), so that the
# test command can have it made while it builds:
#     scripts/wine-session.sh --boot build/mingw
#
# Without a DISPLAY it starts Xvfb on a free display (from :90, or from $EXAMEO_DISPLAY_FROM)
# and openbox on it: without a window manager Wine's windows are neither maximized nor
# activated as the program expects. With or without a DISPLAY, the session fails to start when
# no window manager answers on the display. A running `wineserver -p` makes each Wine process
# start in a fraction of a second instead of about one. WINEDEBUG=-all.

# Openbox's configuration and theme for the session, in DIR: its own, but for the resize handle
# it draws along the bottom of every resizable window (the knowledge and results windows, the
# chooser), a bevelled strip with a grip at each end that is no part of the program and showed
# in every screenshot as a stray strip. Openbox draws it whatever decorations a window asks for
# while the window can be resized; a theme whose handle is 0 high draws none.
wine_session_openbox_theme() {
  local dir=$1 theme=/usr/share/themes/Clearlooks/openbox-3/themerc
  mkdir -p "$dir/themes/ExameoSession/openbox-3"
  if [[ -f $theme ]]; then
    sed 's/^window\.handle\.width:.*/window.handle.width: 0/' "$theme" \
      >"$dir/themes/ExameoSession/openbox-3/themerc"
  else
    echo 'window.handle.width: 0' >"$dir/themes/ExameoSession/openbox-3/themerc"
  fi
  sed 's|<name>Clearlooks</name>|<name>ExameoSession</name>|' /etc/xdg/openbox/rc.xml \
    >"$dir/rc.xml" 2>/dev/null || rm -f "$dir/rc.xml"
  [[ -f $dir/rc.xml ]] || printf '%s\n' '<openbox_config xmlns="http://openbox.org/3.4/rc">' \
    '<theme><name>ExameoSession</name></theme></openbox_config>' >"$dir/rc.xml"
}

# The Wine environment of the build folder $1, made absolute in $build.
wine_session_env() {
  build=${1:?usage: wine-session.sh [--boot] BUILD_DIR [COMMAND...]}
  mkdir -p "$build" || return 1
  build=$(cd "$build" && pwd)

  export WINEDEBUG=-all
  export WINEPREFIX=$build/wineprefix
  export WINEARCH=win64
  # No installers for .NET or the HTML engine: a fresh prefix would ask for them in a dialog. No
  # menu builder: shortcuts a test makes stay in the prefix instead of reaching the host's menus.
  export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
}

# A fresh prefix is made once, and its server waited out; or copied, when EXAMEO_WINE_TEMPLATE
# names a fresh prefix made before (the test command makes one while it builds, so that the
# tests that need a prefix of their own, the DPI test and the installer's, do not wait about
# 20 s each for wineboot).
wine_session_boot() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    if [[ -n ${EXAMEO_WINE_TEMPLATE:-} && -f $EXAMEO_WINE_TEMPLATE/system.reg ]]; then
      rm -rf "$WINEPREFIX"
      cp -a "$EXAMEO_WINE_TEMPLATE" "$WINEPREFIX"
    else
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
    fi
  fi
}

wine_session_start() {
  local build
  wine_session_env "$@" || return 1
  WINE_SESSION_XVFB=""
  WINE_SESSION_WM=""

  if [[ -z ${DISPLAY:-} ]]; then
    local n=${EXAMEO_DISPLAY_FROM:-90}
    while [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_SESSION_XVFB=$!
    export DISPLAY=:$n
    local tries=0
    until xdpyinfo >/dev/null 2>&1; do
      tries=$((tries + 1))
      if ((tries > 100)) || ! kill -0 "$WINE_SESSION_XVFB" 2>/dev/null; then
        echo "wine-session: Xvfb did not start on $DISPLAY" >&2
        wine_session_end
        return 1
      fi
      sleep 0.1
    done
  fi
  # The focus, activation and maximizing that the tests check come from the window manager:
  # without one they would fail for a reason far from their own, so say it here. On a loaded
  # machine openbox may be slow to take the display, or quit at once: it gets 30 s and a second
  # start, and what it said is shown when it never answers.
  local starts=0 waited
  while true; do
    if [[ -n $WINE_SESSION_XVFB ]]; then
      wine_session_openbox_theme "$build/openbox"
      XDG_DATA_HOME=$build/openbox openbox --config-file "$build/openbox/rc.xml" \
        >"$build/openbox.log" 2>&1 &
      WINE_SESSION_WM=$!
    fi
    waited=0
    until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
      waited=$((waited + 1))
      if ((waited > 300)) ||
        { [[ -n $WINE_SESSION_WM ]] && ! kill -0 "$WINE_SESSION_WM" 2>/dev/null; }; then
        break
      fi
      sleep 0.1
    done
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    starts=$((starts + 1))
    if [[ -z $WINE_SESSION_XVFB ]] || ((starts > 1)); then
      echo "wine-session: no window manager runs on $DISPLAY (openbox did not start)" >&2
      [[ -f $build/openbox.log ]] && tail -n 20 "$build/openbox.log" >&2
      wine_session_end
      return 1
    fi
    [[ -n $WINE_SESSION_WM ]] && kill "$WINE_SESSION_WM" 2>/dev/null
    WINE_SESSION_WM=""
  done

  wine_session_boot
  wineserver -p || true
  # Wait until the server answers, so that the first test does not pay for its start.
  wine cmd /c exit >/dev/null 2>&1 || true
}

wine_session_end() {
  [[ -n ${WINEPREFIX:-} ]] && wineserver -k >/dev/null 2>&1
  [[ -n ${WINE_SESSION_WM:-} ]] && kill "$WINE_SESSION_WM" 2>/dev/null
  [[ -n ${WINE_SESSION_XVFB:-} ]] && kill "$WINE_SESSION_XVFB" 2>/dev/null
  WINE_SESSION_WM=""
  WINE_SESSION_XVFB=""
  return 0
}

if [[ ${BASH_SOURCE[0]} != "$0" ]]; then
  trap wine_session_end EXIT
  wine_session_start "$@"
elif [[ ${1:-} == --boot ]]; then
  set -u
  wine_session_env "${2:-}" || exit 1
  wine_session_boot
else
  set -u
  trap wine_session_end EXIT
  wine_session_start "${1:-}" || exit 1
  shift
  if (($#)); then
    "$@"
  fi
fi
