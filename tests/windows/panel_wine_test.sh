#!/usr/bin/env bash
# codepanel.exe end to end under wine on a private display, driven by dialog-driver.exe in the
# same prefix, as an operator would drive it: COM1 and COM2 lead to Linux scanner-sims on
# pseudo-terminals (links in a folder of the test's own, made by each simulator with --link, so a
# COM name whose simulator is not running is a missing device). Each case starts the panel from a
# folder of its own with its own config.dat, runs one driver script and checks what the panel, the
# simulator and config.dat show; a failed case prints its own driver lines and panel output.
#
# Usage: tests/windows/panel_wine_test.sh WINDOWS_BUILD LINUX_BUILD
# Exit status: 0 all cases passed, 1 a case failed, 77 skipped (the line before says why).
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 2

[ $# -eq 2 ] || { echo "usage: $0 WINDOWS_BUILD LINUX_BUILD" >&2; exit 2; }
win_build=$(cd "$1" 2>/dev/null && pwd) || { echo "SKIP: no Windows build folder $1"; exit 77; }
linux_build=$(cd "$2" 2>/dev/null && pwd) || { echo "SKIP: no Linux build folder $2"; exit 77; }
panel=$win_build/panel/win32/codepanel.exe
driver=$win_build/tests/windows/dialog-driver.exe
sim=$linux_build/tools/scanner_sim/scanner-sim
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
command -v xprop >/dev/null || { echo "SKIP: xprop (x11-utils) is not installed"; exit 77; }
for program in "$panel" "$driver" "$sim"; do
  [ -f "$program" ] || { echo "SKIP: $program has not been built"; exit 77; }
done

export LC_ALL=C.UTF-8
source scripts/wine_env.sh
wine_env "$win_build/wineprefix"
wine_prefix_init
work=$(mktemp -d)
sim_pids=()
panel_pid=
stop_sims() {
  local pid
  for pid in "${sim_pids[@]}"; do
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  sim_pids=()
}
stop_panel() {
  if [ -n "$panel_pid" ]; then
    kill "$panel_pid" 2>/dev/null
    wait "$panel_pid" 2>/dev/null
    panel_pid=
  fi
}
# shellcheck disable=SC2317  # called by the trap
clean_up() {
  stop_panel
  stop_sims
  wineserver -k 2>/dev/null
  wine_unmap_port COM1
  wine_unmap_port COM2
  wine_display_stop
  rm -rf "$work"
}
trap clean_up EXIT
trap "exit 1" INT TERM
wine_map_port COM1 "$work/com1"
wine_map_port COM2 "$work/com2"
wine_display_start || exit 1
# A server of its own, whose output (a dump of its objects when a simulator ends) stays apart.
wineserver -p >"$work/wineserver.log" 2>&1

passed=0
failed=0
fail() {
  echo "not ok - $case_name: $*"
  case_ok=0
}

# Starts a simulator on the link for COMn ($1) with the options that follow; waits for the link.
start_sim() {
  local name=${1,,}
  shift
  "$sim" --link "$work/$name" "$@" >"$work/$name.sim" 2>&1 &
  sim_pids+=($!)
  local _
  for _ in $(seq 300); do
    [ -e "$work/$name" ] && return 0
    sleep 0.05
  done
  fail "scanner-sim did not make $work/$name"
  return 1
}

# Waits up to 30 s for the simulator of COMn ($1) to have printed line $2.
sim_says() {
  local _
  for _ in $(seq 300); do
    grep -qxF -- "$2" "$work/${1,,}.sim" && return 0
    sleep 0.1
  done
  return 1
}

# A case: the panel from a folder of its own, config.dat with the carton ($2) and leaflet ($3)
# codes as Windows-1252 bytes (printf escapes), the driver's script on standard input.
begin() {
  case_name=$1
  case_ok=1
  rm -rf "$work/station"
  mkdir "$work/station"
  cp "$panel" "$work/station/codepanel.exe"
  # shellcheck disable=SC2059  # the codes are printf escapes
  printf "[SETTING]\r\nLAST_CODE=$2\r\nLAST_AIC_CODE=$3\r\n" >"$work/station/config.dat"
  LC_ALL=${panel_locale:-C.UTF-8} wine "$work/station/codepanel.exe" --no-power-off \
    >"$work/panel.out" 2>"$work/panel.err" &
  panel_pid=$!
}
drive() {
  wine "$driver" >"$work/driver.out" 2>&1
  local status=$?
  if [ $status -ne 0 ]; then
    fail "$(grep '^not ok' "$work/driver.out" | head -1)"
  fi
  return $status
}
# The panel ends by itself, within 30 s, with status $1.
panel_ended() {
  local _
  for _ in $(seq 300); do
    kill -0 "$panel_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$panel_pid" 2>/dev/null; then
    fail "codepanel.exe did not end"
    stop_panel
    return
  fi
  wait "$panel_pid"
  local status=$?
  panel_pid=
  [ "$status" = "$1" ] || fail "codepanel.exe exited $status, expected $1"
}
end() {
  stop_panel
  stop_sims
  rm -f "$work/com1" "$work/com2"
  if [ "$case_ok" = 1 ]; then
    echo "ok - $case_name"
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    sed 's/^/#   driver: /' "$work/driver.out" | tail -12
    sed 's/^/#   panel stderr: /' "$work/panel.err" | grep -v ':fixme:' | head -10
    for sim_out in "$work"/com?.sim; do
      [ -f "$sim_out" ] && sed "s/^/#   $(basename "$sim_out"): /" "$sim_out" | tail -5
    done
  fi
  rm -f "$work"/com?.sim
}
config_is() {
  # shellcheck disable=SC2059  # printf escapes, as for begin
  cmp -s "$work/station/config.dat" <(printf "$1") ||
    fail "config.dat holds $(od -c "$work/station/config.dat" | head -3 | tr -s ' ')"
}

# A download's finish step enables the six controls on a tick of its own, which on a busy machine
# may come after its box has closed: a case waits for a control to be enabled before clicking it.
completed="Procedura di scaricamento codice terminata correttamente."
cancelled="La procedura di invio codice sarà annullata!"
six="1003 1004 1000 1001 1010 1011"
# Driver lines: the result box of a completed download, closed with OK.
completed_box='box done panel
box-text done "'"$completed"'"
click done 1
gone done'
# Driver lines: "Esci" once it is enabled again, and OK, which ends the panel.
esci_ok='enabled panel 1010 yes
click panel 1010
box exit panel
click exit 1
gone panel'

begin "layout, caption, icon, colours, Return and Escape inert, Esci writes config.dat" \
  'AST-\xa31' 'LET 2'
drive <<SCRIPT
dialog panel 1007
layout panel 102
caption panel codepanel
SCRIPT
# The icon as the desktop gets it: wine hands the large and small icons set through WM_SETICON
# to the X window (another process's WM_GETICON answers nothing under wine).
window=$(xwininfo -display "$DISPLAY" -root -tree | awk '$2 == "\"codepanel\":" { print $1; exit }')
icons=$(xprop -display "$DISPLAY" -id "${window:-0}" _NET_WM_ICON 2>/dev/null | grep -o 'Icon ([0-9]* x [0-9]*)')
[ "$icons" = "$(printf 'Icon (32 x 32)\nIcon (16 x 16)')" ] ||
  fail "the panel's window shows icons '$icons', not 32x32 and 16x16"
drive <<SCRIPT
dialog panel 1007
text panel 1003 AST-£1
text panel 1004 "LET 2"
text panel 1008 "rev. 1,0,0,3"
text panel 1009 www.codepanel.example
focus panel 1000
colour-in panel 1003 C80000
colour-in panel 1005 0000C8
key panel 1000 13
key panel 1000 27
key panel 0 27
no-box panel
text panel 1003 AST-£1
click panel 1010
box exit panel
box-text exit "Questa operazione chiude l'applicazione e consente l'accesso a Windows !"
caption exit codepanel
click exit 2
gone exit
no-box panel
click panel 1010
box exit2 panel
click exit2 1
gone panel
SCRIPT
panel_ended 0
config_is '[SETTING]\r\nLAST_CODE=AST-\xa31\r\nLAST_AIC_CODE=LET 2\r\n'
end

begin "carton code byte-exact at the simulator on COM1, 44 log lines, result box" 'AB\xa3123' ''
start_sim COM1
drive <<SCRIPT
dialog panel 1007
click panel 1000
box ask panel
box-text ask "Confermi invio codice di confronto astuccio 'AB£123' allo scanner ?"
click ask 6
gone ask
$(for id in $six; do echo "enabled panel $id no"; done)
box done panel
box-text done "$completed"
$(for id in $six; do echo "enabled panel $id yes"; done)
click done 1
gone done
lines panel 1007 44
line panel 1007 1 "Invio codice controllo astuccio..."
line panel 1007 43 "$completed"
focus-not-on panel 1003
SCRIPT
sim_says COM1 "code: AB£123" || fail "the simulator did not store AB£123"
grep -qxF "RX: <ESC>NF£" "$work/com1.sim" || fail "no frame <ESC>NF£: the pound sign was not byte A3"
end

# The keyboard stops at 31 characters; the CAPS display tells when the refused key has been seen.
begin "longest leaflet code on COM2 through the keyboard's ENTER" 'X' 'LEAFLET-0123456789-abcdefghijk'
start_sim COM2
drive <<SCRIPT
dialog panel 1007
touch panel 1004
owned kb panel 1048
text kb 1048 LEAFLET-0123456789-abcdefghijk
click kb 1012
text kb 1048 LEAFLET-0123456789-abcdefghijka
click kb 1013
click kb 1041
text kb 1051 CAPS
text kb 1048 LEAFLET-0123456789-abcdefghijka
click kb 1046
gone kb
text panel 1004 LEAFLET-0123456789-abcdefghijka
click panel 1001
box ask panel
box-text ask "Confermi invio codice di confronto letteratura 'LEAFLET-0123456789-abcdefghijka' allo scanner ?"
click ask 6
gone ask
$completed_box
lines panel 1007 44
line panel 1007 1 "Invio codice controllo letteratura..."
$esci_ok
SCRIPT
panel_ended 0
sim_says COM2 "code: LEAFLET-0123456789-abcdefghijka" || fail "the simulator did not store the code"
config_is '[SETTING]\r\nLAST_CODE=X\r\nLAST_AIC_CODE=LEAFLET-0123456789-abcdefghijka\r\n'
end

begin "missing device and silent scanner: their boxes and log lines" 'NODEV' 'SILENT'
start_sim COM2 --silent
drive <<SCRIPT
dialog panel 1007
click panel 1000
box ask panel
click ask 6
gone ask
box err panel
box-text err "Impossibile aprire dispositivo di comunicazione seriale!\n$cancelled"
click err 1
gone err
line panel 1007 2 "--> ERRORE: Impossibile aprire dispositivo di comunicazione seriale!"
line panel 1007 3 "Procedura di scaricamento codice NON completata !"
lines panel 1007 4
enabled panel 1001 yes
click panel 1001
box ask2 panel
click ask2 6
gone ask2
box err2 panel
box-text err2 "Timeout risposta da scanner!\n$cancelled"
click err2 1
gone err2
line panel 1007 3 "--> ERRORE: Timeout risposta da scanner!"
lines panel 1007 5
enabled panel 1001 yes
SCRIPT
sim_says COM2 "RX: <ESC>[C" || fail "the silent scanner got no opening command"
end

begin "refusals 133 and 151 leave the focus out of the fields" '' 'A\001B'
drive <<SCRIPT
dialog panel 1007
click panel 1000
box len panel
box-text len "Numero caratteri codice errato (richiesti [1..31]) !\n$cancelled"
click len 1
gone len
focus-not-on panel 1003
click panel 1001
box ctl panel
box-text ctl "Il codice contiene caratteri non ammessi !\n$cancelled"
click ctl 1
gone ctl
focus-not-on panel 1004
lines panel 1007 0
chars panel 1003 "typed"
chars panel 0 "typed"
click panel 1000
box len2 panel
click len2 1
gone len2
text panel 1003 ""
SCRIPT
end

begin "keyboard: keys, SHIFT and CAPS with their display, BACK, physical keys, ESC and ENTER" \
  'AB' ''
drive <<SCRIPT
dialog panel 1007
touch panel 1003
owned kb panel 1048
text kb 1048 AB
text kb 1051 ""
click kb 1012
text kb 1048 ABa
click kb 1041
checked kb 1041 yes
text kb 1051 CAPS
click kb 1013
text kb 1048 ABaS
click kb 1043
text kb 1051 "CAPS SHIFT"
click kb 1014
text kb 1048 ABaSd
text kb 1051 CAPS
click kb 1043
click kb 1034
text kb 1048 ABaSd£
click kb 1034
text kb 1048 ABaSd£3
click kb 1049
text kb 1048 ABaSd£
click kb 1021
chars kb 0 "x&"
text kb 1048 "ABaSd£ x&"
key kb 0 8
text kb 1048 "ABaSd£ x"
key kb 1012 27
gone kb
text panel 1003 AB
touch panel 1003
owned kb2 panel 1048
text kb2 1048 AB
click kb2 1032
key kb2 0 13
gone kb2
text panel 1003 AB1
focus-not-on panel 1003
SCRIPT
end

# Wine takes the system's code page from LC_ALL: Chinese (936), where byte A3 starts a character
# of two bytes. The codes must still be shown, typed, sent and saved as Windows-1252 bytes.
panel_locale=zh_CN.UTF-8
begin "on a system with code page 936: codes shown, typed, sent and saved as Windows-1252" \
  'AB\xa3123' 'L\xa3'
start_sim COM1
drive <<SCRIPT
dialog panel 1007
text panel 1003 AB£123
text panel 1004 L£
touch panel 1004
owned kb panel 1048
text kb 1048 L£
click kb 1043
click kb 1034
text kb 1048 L££
key kb 0 13
gone kb
text panel 1004 L££
click panel 1000
box ask panel
box-text ask "Confermi invio codice di confronto astuccio 'AB£123' allo scanner ?"
click ask 6
gone ask
$completed_box
$esci_ok
SCRIPT
panel_ended 0
sim_says COM1 "code: AB£123" || fail "the simulator did not store AB£123"
grep -qxF "RX: <ESC>NF£" "$work/com1.sim" || fail "no frame <ESC>NF£: the pound sign was not byte A3"
config_is '[SETTING]\r\nLAST_CODE=AB\xa3123\r\nLAST_AIC_CODE=L\xa3\xa3\r\n'
end
panel_locale=

begin "Spegni in the dry run, then Esci" 'A' 'B'
drive <<SCRIPT
dialog panel 1007
click panel 1011
box off panel
box-text off "Questa operazione chiude l'applicazione e spegne il sistema !"
click off 2
gone off
no-box panel
click panel 1011
box off2 panel
click off2 1
gone off2
no-box panel
click panel 1010
box exit panel
click exit 1
gone panel
SCRIPT
panel_ended 0
grep -qF "codepanel --no-power-off: would request a forced power-off" "$work/panel.out" \
  "$work/panel.err" || fail "the dry run did not tell the power-off it would request"
end

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
