#!/usr/bin/env bash
# codeload.exe end to end under wine, against the Linux scanner simulator on pseudo-terminals,
# beside the Linux codeload on the same simulator: for each case both loaders run the same
# download, and the frames the simulator received, the log on standard output, the lines on
# standard error and the exit status must be the same (the line naming the device aside, which
# names a COM port on Windows and a path on Linux), and must be the ones the case expects.
#
# The wine prefix maps COM1 and COM2 to links in a folder of the test's own; each simulator makes
# its link there (--link), so a COM name whose simulator is not running is a missing device.
# Every simulator is started and ended here; the mappings are removed at the end.
#
# Usage: tests/windows/codeload_wine_test.sh WINDOWS_BUILD LINUX_BUILD
# Exit status: 0 all cases passed, 1 a case failed, 77 skipped (the line before says why).
set -uo pipefail
cd "$(dirname "$0")/../.."

if [ $# -ne 2 ]; then
  echo "usage: $0 WINDOWS_BUILD LINUX_BUILD" >&2
  exit 2
fi
win_build=$(cd "$1" 2>/dev/null && pwd) || { echo "SKIP: no Windows build folder $1"; exit 77; }
linux_build=$(cd "$2" 2>/dev/null && pwd) || { echo "SKIP: no Linux build folder $2"; exit 77; }
exe=$win_build/tools/codeload/codeload.exe
sim=$linux_build/tools/scanner_sim/scanner-sim
linux_codeload=$linux_build/tools/codeload/codeload
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
for program in "$exe" "$sim" "$linux_codeload"; do
  [ -x "$program" ] || { echo "SKIP: $program has not been built"; exit 77; }
done

# Wine reads the command line in the locale's encoding; the codes are typed as UTF-8.
export LC_ALL=C.UTF-8
source scripts/wine_env.sh
wine_env "$win_build/wineprefix"
wine_prefix_init

work=$(mktemp -d)
sim_pid=
stop_sim() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=
  fi
}
# shellcheck disable=SC2317  # called by the trap
clean_up() {
  stop_sim
  wine_unmap_port COM1
  wine_unmap_port COM2
  rm -rf "$work"
}
trap clean_up EXIT

wine_map_port COM1 "$work/com1"
wine_map_port COM2 "$work/com2"
# A server of its own, whose output goes to a file: the server holds the pseudo-terminal, and
# when a simulator ends it writes a dump of its objects, which must not reach the loader's stderr.
wineserver -p >"$work/wineserver.log" 2>&1

passed=0
failed=0
fail() {
  echo "not ok - $case_name: $*"
  case_ok=0
}

# Starts a simulator on the link for COMn ($1) with the options that follow; waits for the link.
start_sim() {
  local link=$work/${1,,}
  shift
  : >"$work/sim.out"
  "$sim" --link "$link" "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do
    [ -e "$link" ] && return 0
    sleep 0.05
  done
  echo "scanner-sim did not make $link" >&2
  return 1
}

# The simulator's lines since line $1 (counted from 1), once it has been quiet for a moment.
sim_lines_since() {
  sleep 0.3
  tail -n "+$1" "$work/sim.out"
}

sim_line_count() {
  wc -l <"$work/sim.out"
}

# Runs one loader ($1: linux or wine) with the arguments that follow; leaves $work/$1.out,
# $work/$1.err, $work/$1.status and the simulator's lines of the run in $work/$1.sim.
run_loader() {
  local which=$1
  shift
  local before
  before=$(($(sim_line_count) + 1))
  if [ "$which" = linux ]; then
    "$linux_codeload" "$@" >"$work/$which.out" 2>"$work/$which.err" </dev/null
  else
    wine "$exe" "$@" >"$work/$which.out" 2>"$work/$which.err" </dev/null
  fi
  echo $? >"$work/$which.status"
  sim_lines_since "$before" >"$work/$which.sim"
}

# Standard error with the line that names the device taken out: it alone differs by system.
err_without_device() {
  grep -v -e '^codeload: COM[1-4] is ' -e '^codeload: cannot open COM[1-4] ' "$work/$1.err"
}

# Both loaders did the same, and that is what the case expects: status $1, $2 log lines, each
# further argument a text standard error must hold.
expect_same() {
  local status=$1 lines=$2
  shift 2
  local linux_status wine_status
  linux_status=$(cat "$work/linux.status")
  wine_status=$(cat "$work/wine.status")
  [ "$linux_status" = "$status" ] || fail "Linux codeload exited $linux_status, expected $status"
  [ "$wine_status" = "$status" ] || fail "codeload.exe exited $wine_status, expected $status"
  cmp -s "$work/linux.out" "$work/wine.out" ||
    fail "the logs differ: $(diff "$work/linux.out" "$work/wine.out" | head -5)"
  [ "$(wc -l <"$work/wine.out")" = "$lines" ] ||
    fail "codeload.exe logged $(wc -l <"$work/wine.out") lines, expected $lines"
  cmp -s <(err_without_device linux) <(err_without_device wine) ||
    fail "standard error differs: $(diff <(err_without_device linux) <(err_without_device wine) | head -5)"
  cmp -s "$work/linux.sim" "$work/wine.sim" ||
    fail "the simulator received other frames: $(diff "$work/linux.sim" "$work/wine.sim" | head -5)"
  local text err
  err=$(cat "$work/wine.err")
  for text in "$@"; do
    [[ $err == *"$text"* ]] || fail "standard error lacks '$text'"
  done
}

# The line that names the device: a path on Linux, the COM name or --port's NAME on Windows.
expect_device_lines() {
  grep -qxF -- "$1" "$work/linux.err" || fail "Linux codeload did not say '$1'"
  grep -qxF -- "$2" "$work/wine.err" || fail "codeload.exe did not say '$2'"
}

begin() {
  case_name=$1
  case_ok=1
}
end() {
  stop_sim
  if [ "$case_ok" = 1 ]; then
    echo "ok - $case_name"
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    for which in linux wine; do
      echo "# $which: status $(cat "$work/$which.status" 2>/dev/null)"
      sed "s/^/#   $which stderr: /" "$work/$which.err" 2>/dev/null | head -20
      [ -f "$work/$which.tty" ] && sed "s/^/#   $which terminal: /" "$work/$which.out" | tail -8
    done
  fi
}

completed="Procedura di scaricamento codice terminata correttamente."
cancelled="La procedura di invio codice sarà annullata!"
not_completed="Procedura di scaricamento codice NON completata !"

begin "carton code with a pound sign on COM1"
start_sim COM1
run_loader linux --port "COM1=$work/com1" --yes carton 'AB£123'
run_loader wine --yes carton 'AB£123'
expect_same 0 44 "Confermi invio codice di confronto astuccio 'AB£123' allo scanner ?" "$completed"
expect_device_lines "codeload: COM1 is $work/com1" "codeload: COM1 is COM1"
grep -qxF "code: AB£123" "$work/wine.sim" || fail "the simulator did not store AB£123"
# The pound sign went out as the single byte A3, which the simulator shows as the character.
grep -qxF "RX: <ESC>NF£" "$work/wine.sim" || fail "no frame <ESC>NF£ for the third character"
end

begin "longest leaflet code on COM2"
code=LEAFLET-0123456789-abcdefghijkl
start_sim COM2
run_loader linux --port "COM2=$work/com2" --yes leaflet "$code"
run_loader wine --yes leaflet "$code"
expect_same 0 44 "$completed"
expect_device_lines "codeload: COM2 is $work/com2" "codeload: COM2 is COM2"
grep -qxF "code: $code" "$work/wine.sim" || fail "the simulator did not store $code"
end

begin "--port lets COM2 denote another Windows device"
start_sim COM1
run_loader linux --port "COM2=$work/com1" --yes leaflet MAPPED
run_loader wine --port 'COM2=\\.\COM1' --yes leaflet MAPPED
expect_same 0 44 "$completed"
expect_device_lines "codeload: COM2 is $work/com1" 'codeload: COM2 is \\.\COM1'
grep -qxF "code: MAPPED" "$work/wine.sim" || fail "the simulator did not store MAPPED"
end

begin "missing device"
rm -f "$work/com2"
: >"$work/sim.out"
run_loader linux --port "COM2=$work/com2" --yes leaflet GONE
run_loader wine --yes leaflet GONE
expect_same 1 4 "Impossibile aprire dispositivo di comunicazione seriale!
$cancelled"
expect_device_lines "codeload: cannot open COM2 ($work/com2): not found" \
  "codeload: cannot open COM2 (COM2): not found"
grep -qxF -- "--> ERRORE: Impossibile aprire dispositivo di comunicazione seriale!" \
  "$work/wine.out" || fail "the log lacks the open error"
end

begin "silent scanner"
start_sim COM1 --silent
run_loader linux --port "COM1=$work/com1" --yes carton SILENT1
run_loader wine --yes carton SILENT1
expect_same 1 5 "Timeout risposta da scanner!"
grep -qxF -- "--> ERRORE: Timeout risposta da scanner!" "$work/wine.out" ||
  fail "the log lacks the time-out"
grep -qxF "RX: <ESC>[C" "$work/wine.sim" || fail "the opening command did not arrive"
end

begin "wrong reply"
start_sim COM1 --wrong-reply
run_loader linux --port "COM1=$work/com1" --yes carton WRONG1
run_loader wine --yes carton WRONG1
expect_same 1 "$(wc -l <"$work/linux.out")" "$cancelled"
grep -qxF "RX: <ESC>[C" "$work/wine.sim" || fail "the opening command did not arrive"
grep -q -- "^--> ERRORE: " "$work/wine.out" || fail "the log lacks the error"
tail -n 1 "$work/wine.out" | grep -qxF "$not_completed" || fail "the log does not end as failed"
end

# A second loader while the first one holds the port: it is turned away before it sends anything,
# and the first loader's download goes through undisturbed.
held() {
  local which=$1
  local before
  before=$(($(sim_line_count) + 1))
  if [ "$which" = linux ]; then
    "$linux_codeload" --port "COM1=$work/com1" --yes carton FIRST >/dev/null 2>&1 </dev/null &
  else
    wine "$exe" --yes carton FIRST >/dev/null 2>&1 </dev/null &
  fi
  local first=$!
  for _ in $(seq 200); do
    tail -n "+$before" "$work/sim.out" | grep -q '^RX' && break
    sleep 0.05
  done
  if [ "$which" = linux ]; then
    "$linux_codeload" --port "COM1=$work/com1" --yes carton SECOND \
      >"$work/$which.out" 2>"$work/$which.err" </dev/null
  else
    wine "$exe" --yes carton SECOND >"$work/$which.out" 2>"$work/$which.err" </dev/null
  fi
  echo $? >"$work/$which.status"
  wait "$first"
  echo $? >"$work/$which.first"
  # The frames alone: the simulator takes any close of its terminal for the client's, and the
  # Linux loader opens the device before its lock turns it away, where Windows never opens it.
  sim_lines_since "$before" | grep -E '^(RX|TX|code)' >"$work/$which.sim"
}
begin "port held by another loader"
start_sim COM1 --delay 300
held linux
held wine
expect_same 1 4 "Impossibile aprire dispositivo di comunicazione seriale!
$cancelled"
grep -q "^codeload: cannot open COM1 ($work/com1): in use by pid [0-9]* (codeload)$" \
  "$work/linux.err" || fail "Linux codeload did not name the holder"
grep -qxF "codeload: cannot open COM1 (COM1): in use by another program" "$work/wine.err" ||
  fail "codeload.exe did not say the port is in use"
for which in linux wine; do
  [ "$(cat "$work/$which.first")" = 0 ] || fail "$which: the first download was disturbed"
  grep -qxF "code: FIRST" "$work/$which.sim" || fail "$which: the first code was not stored"
  grep -qF "SECOND" "$work/$which.sim" && fail "$which: the second loader reached the scanner"
done
end

# The simulator waits before its reply and is ended while the loader waits for it: the device
# hangs up in the middle of the exchange.
hang_up() {
  start_sim COM1 --delay 800
  if [ "$1" = linux ]; then
    "$linux_codeload" --port "COM1=$work/com1" --yes carton HANGUP \
      >"$work/$1.out" 2>"$work/$1.err" </dev/null &
  else
    wine "$exe" --yes carton HANGUP >"$work/$1.out" 2>"$work/$1.err" </dev/null &
  fi
  local loader=$!
  for _ in $(seq 200); do
    grep -q '^RX' "$work/sim.out" && break
    sleep 0.05
  done
  cp "$work/sim.out" "$work/$1.sim"
  stop_sim
  wait "$loader"
  echo $? >"$work/$1.status"
}
begin "hang-up in the middle of the exchange"
hang_up linux
hang_up wine
expect_same 1 5 "Errore durante la ricezione da dispositivo di comunicazione seriale!
$cancelled"
grep -qxF "RX: <ESC>[C" "$work/wine.sim" || fail "the opening command did not arrive"
grep -qxF -- \
  "--> ERRORE: Problemi durante ricezione dati da dispositivo di comunicazione seriale!" \
  "$work/wine.out" || fail "the log lacks the receive error"
end

# Ctrl-C typed on the loader's terminal (its console, under wine) once the scanner has answered
# the opening command: the loader says so, finishes the exchange and exits 130, as SIGINT does on
# Linux. The simulator waits before each reply, so that the exchange is still going on.
interrupt() {
  local which=$1
  shift
  local before
  before=$(($(sim_line_count) + 1))
  python3 tests/windows/console_interrupt.py "RX: " 20 "$@" >"$work/$which.tty" 2>&1 </dev/null
  echo $? >"$work/$which.status"
  # The terminal's own line ends and, under wine, the console's cursor sequences taken out.
  tr -d '\r' <"$work/$which.tty" | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' >"$work/$which.out"
  sim_lines_since "$before" >"$work/$which.sim"
}
begin "Ctrl-C in the middle of the exchange"
if command -v python3 >/dev/null; then
  start_sim COM1 --delay 300
  interrupt linux "$linux_codeload" --port "COM1=$work/com1" --yes carton CTRLC
  interrupt wine wine "$exe" --yes carton CTRLC
  for which in linux wine; do
    [ "$(cat "$work/$which.status")" = 130 ] ||
      fail "$which: exit status $(cat "$work/$which.status"), expected 130"
    grep -qxF "$completed" "$work/$which.out" || fail "$which: the download did not finish"
    grep -qxF "code: CTRLC" "$work/$which.sim" || fail "$which: the scanner did not store CTRLC"
    grep -qxF "RX: <ESC>[A" "$work/$which.sim" || fail "$which: no closing exchange"
  done
  grep -qxF "codeload: SIGINT received; finishing the exchange with the scanner first" \
    "$work/linux.out" || fail "Linux codeload did not tell the SIGINT"
  grep -qxF "codeload: Ctrl-C received; finishing the exchange with the scanner first" \
    "$work/wine.out" || fail "codeload.exe did not tell the Ctrl-C"
  cmp -s "$work/linux.sim" "$work/wine.sim" ||
    fail "the simulator received other frames: $(diff "$work/linux.sim" "$work/wine.sim" | head -5)"
  end
else
  echo "skip - $case_name: python3 is not installed"
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
