#!/usr/bin/env bash
# The Windows station installer under wine: a silent install (/S) into a folder of the test's own
# puts the programs, the README, the Start menu and Start-up entries and the uninstall entry where
# they belong; the installed programs start; a silent uninstall removes all of it but config.dat.
#
# Usage: tests/windows/installer_wine_test.sh WINDOWS_BUILD INSTALLER
# Exit status: 0 passed, 1 failed, 77 skipped (the line before says why).
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 2

[ $# -eq 2 ] || { echo "usage: $0 WINDOWS_BUILD INSTALLER" >&2; exit 2; }
win_build=$(cd "$1" 2>/dev/null && pwd) || { echo "SKIP: no Windows build folder $1"; exit 77; }
installer=$2
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
[ -f "$installer" ] || { echo "SKIP: no installer $installer (scripts/package-windows)"; exit 77; }
driver=$win_build/tests/windows/dialog-driver.exe

export LC_ALL=C.UTF-8
source scripts/wine_env.sh
wine_env "$win_build/wineprefix"
wine_prefix_init
wine_display_start || exit 1
folder_name=codepanel-installer-test-$$
target="C:\\$folder_name"
installed=$WINEPREFIX/drive_c/$folder_name
user_dir=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
start_menu="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
# Windows spells it Startup, wine StartUp: the same folder to the system, which ignores case.
startup=$(find "$start_menu" -maxdepth 1 -iname startup | head -1)
work=$(mktemp -d)
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\codepanel'
# shellcheck disable=SC2317  # called by the trap
clean_up() {
  wineserver -k 2>/dev/null
  wine_display_stop
  rm -rf "$installed" "$work"
}
trap clean_up EXIT
trap "exit 1" INT TERM

failed=0
check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok - $what"
  else
    echo "not ok - $what"
    failed=1
  fi
}
# Polls a condition for up to 60 s (a busy machine makes wine slow, never wrong).
eventually() {
  local _
  for _ in $(seq 600); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}
# The shortcut's strings are UTF-16: without their NUL bytes they read as text.
shortcut_runs_panel_journal() {
  local text
  text=$(tr -d '\0' <"$startup/codepanel.lnk")
  [[ $text == *"$folder_name\codepanel.exe"* && $text == *--journal* ]]
}
has_panel() { [ -f "$installed/codepanel.exe" ]; }
absent() { [ ! -e "$1" ]; }
only_config_left() { [ "$(ls -A "$installed" 2>/dev/null)" = config.dat ]; }
registry_value() {
  wine reg query "$uninstall_key" /v "$1" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

wine "$installer" /S "/D=$target" >/dev/null 2>&1
check "silent install exits 0" [ $? -eq 0 ]
check "codeload.exe installed" cmp -s "$installed/codeload.exe" "$win_build/tools/codeload/codeload.exe"
check "README installed" cmp -s "$installed/README.md" README.md
check "uninstaller installed" [ -f "$installed/uninstall.exe" ]
check "Start menu entry for the README" [ -f "$start_menu/codepanel/README.lnk" ]
check "Start menu entry for the uninstaller" [ -f "$start_menu/codepanel/Disinstalla codepanel.lnk" ]
check "uninstall entry names the folder" [ "$(registry_value InstallLocation)" = "$target" ]
check "uninstall entry's quiet command" \
  [ "$(registry_value QuietUninstallString)" = "\"$target\\uninstall.exe\" /S" ]
if [ -f "$win_build/panel/win32/codepanel.exe" ]; then
  check "codepanel.exe installed" cmp -s "$installed/codepanel.exe" "$win_build/panel/win32/codepanel.exe"
  check "Start menu entry for the panel" [ -f "$start_menu/codepanel/codepanel.lnk" ]
  check "Start-up entry for the panel" [ -f "$startup/codepanel.lnk" ]
  check "Start-up entry starts the installed panel with --journal" shortcut_runs_panel_journal
fi

help=$(wine "$installed/codeload.exe" --help 2>&1)
check "installed codeload.exe starts" [ $? -eq 0 ]
check "installed codeload.exe tells its usage" grep -q "usage: codeload" <<<"$help"
if has_panel; then
  # The installed panel opens, and "Esci" writes config.dat beside it.
  wine "$installed/codepanel.exe" --no-power-off >/dev/null 2>&1 &
  panel_pid=$!
  wine "$driver" >"$work/driver.out" 2>&1 <<'SCRIPT'
dialog panel 1007
click panel 1010
box exit panel
click exit 1
gone panel
SCRIPT
  check "installed codepanel.exe opens and closes on Esci" [ $? -eq 0 ]
  kill "$panel_pid" 2>/dev/null  # only if the driver could not close it
  wait "$panel_pid"
  check "installed codepanel.exe wrote config.dat beside itself" [ -f "$installed/config.dat" ]
else
  # The operator's codes, as the panel leaves them.
  printf '[SETTING]\r\nLAST_CODE=AST-1\r\nLAST_AIC_CODE=LET-1\r\n' >"$installed/config.dat"
fi
cp "$installed/config.dat" "$installed.config.before"

# The uninstaller copies itself away and returns at once; the event is its folder emptied.
wine "$installed/uninstall.exe" /S >/dev/null 2>&1
check "silent uninstall starts" [ $? -eq 0 ]
check "silent uninstall leaves only config.dat" eventually only_config_left
check "config.dat kept unchanged" cmp -s "$installed/config.dat" "$installed.config.before"
rm -f "$installed.config.before"
check "Start menu folder removed" eventually absent "$start_menu/codepanel"
check "Start-up entry removed" absent "$startup/codepanel.lnk"
check "uninstall entry removed" eventually eval '! wine reg query "$uninstall_key" >/dev/null 2>&1'
exit "$failed"
