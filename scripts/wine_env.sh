# Wine for the Windows tests: a private prefix, quiet, without the Mono and Gecko installers.
# Sourced by scripts/test-windows and the Windows end-to-end tests; source it before running ctest
# in build-windows/ by hand.
#   wine_env PREFIX        exports the variables for that prefix
#   wine_prefix_init       creates the prefix once (a minute the first time)
#   wine_map_port COMn DEV lets COMn stand for a Linux device, then restarts the wine server
#   wine_unmap_port COMn   removes that mapping, then restarts the wine server
wine_env() {
  export WINEPREFIX=$1
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # The console programs need no display; wine must not look for one.
  unset DISPLAY WAYLAND_DISPLAY
}

wine_prefix_init() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1
  wineserver --wait
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
