# Wine for the Windows tests: a private prefix, quiet, without the Mono and Gecko installers.
# Sourced by scripts/test-windows and the Windows end-to-end tests; source it before running ctest
# in build-windows/ by hand.
#   wine_env PREFIX        exports the variables for that prefix
#   wine_prefix_init       creates the prefix once (a minute the first time)
#   wine_map_port COMn DEV lets COMn stand for a Linux device, then restarts the wine server
#   wine_unmap_port COMn   removes that mapping, then restarts the wine server
#   wine_display_start     a private X display (Xvfb) for window programs; exports DISPLAY
#   wine_display_stop      ends that display
wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # The console programs need no display; wine must not look for one.
  unset DISPLAY WAYLAND_DISPLAY
}

wine_prefix_init() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver --wait
  fi
  [ -f "$WINEPREFIX/.codepanel-windows-ready" ] && return 0
  # Wine does not find its own fonts here, so "MS Shell Dlg" and Tahoma would fall back to DejaVu
  # and a dialog would come out a sixth wider than on Windows: give the prefix wine's fonts, whose
  # Tahoma has the original metrics (6 x 13 base units at 8 points).
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Without a window manager every window that closes stalls its program for some 2 s unless
  # wine manages the windows itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  wineserver --wait
  touch "$WINEPREFIX/.codepanel-windows-ready"
}

# A display of its own per run, numbered by Xvfb itself (-displayfd) so that parallel runs never
# meet; 96 dpi, as the templates' pixel sizes assume.
wine_display_start() {
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  WINE_XVFB_PID=$!
  local number=
  read -r -t 30 number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    wine_display_stop
    return 1
  fi
  export DISPLAY=":$number"
}

wine_display_stop() {
  if [ -n "${WINE_XVFB_PID:-}" ]; then
    kill "$WINE_XVFB_PID" 2>/dev/null
    wait "$WINE_XVFB_PID" 2>/dev/null
    WINE_XVFB_PID=
  fi
  unset DISPLAY
}

wine_map_port() {
  wine reg add 'HKLM\Software\Wine\Ports' /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
  wineserver --wait 2>/dev/null || true
}

wine_unmap_port() {
  wine reg delete 'HKLM\Software\Wine\Ports' /v "$1" /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  wineserver --wait 2>/dev/null || true
}
