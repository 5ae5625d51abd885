#!/usr/bin/env bash
# codeload.exe end to end under wine, against the Linux scanner simulator on pseudo-terminals,
# beside the Linux codeload on the same simulator: for each case both loaders run the same
# download, and the frames the simulator received, the log on standard output, the lines on
# standard error and the exit status must be the same (the line naming the device aside, which
# names a COM port on Windows and a path on Linux), and must be the ones the case expects.
#
# The wine prefix maps COM1 and COM2 to links in a folder of the test's own; each simulator makes
# its link there (--link), so a COM name whose simulator is not running is a missing device.
# Every loader's run has a simulator of its own, started and ended here; the mappings are removed
# at the end. Each case keeps its files in a folder of its own and reports them when it fails.
# Nothing waits for a fixed time: every wait is for an event (a link made, a line logged, a
# process ended) with a generous limit, so that a busy machine makes the test slower, not wrong.
#
# Usage: tests/windows/codeload_wine_test.sh WINDOWS_BUILD LINUX_BUILD
# Exit status: 0 all cases passed, 1 a case failed, 77 skipped (the line before says why).
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 2

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

# In the build folder, out of reach of anything that tidies /tmp while the cases run.
work=$(mktemp -d "$win_build/wine-e2e.XXXXXX")
sim_pid=
sim_log=
# shellcheck disable=SC2317  # called by the trap
clean_up() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
  fi
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
# Wine's first program in a new server also starts the prefix's own services; let that happen
# before the first case, whose loader has a scanner waiting on it.
wine "$exe" --help >/dev/null 2>&1 </dev/null

passed=0
failed=0
fail() {
  echo "not ok - $case_name: $*"
  case_ok=0
}

# Every wait is for an event, retried until it happens or the limit (in seconds) runs out; the
# limits are generous, since a busy machine only makes them slower, never makes them fail.
# Usage: wait_until SECONDS COMMAND...
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.02
  done
}

sim_log_has() { grep -q -- "$1" "$sim_log" 2>/dev/null; }
# The simulator has made its link ($1) and printed its device.
sim_ready() { [ -e "$1" ] && [ -s "$sim_log" ]; }

# Each case keeps its own files in a folder of its own, so that a failed case reports what its
# own loaders and simulators did: $case_dir/WHICH.out, .err, .status, .sim (the frames the
# simulator logged for that loader's run) and .simlog (the simulator's whole output).
case_count=0
begin() {
  case_name=$1
  case_ok=1
  case_count=$((case_count + 1))
  case_dir=$work/case$case_count
  mkdir -p "$case_dir"
}

# Starts a simulator for one loader's run ($2: linux or wine) on the link for COMn ($1) with the
# options that follow, and waits until it has made the link and said its device.
start_sim() {
  local link=$work/${1,,} which=$2
  shift 2
  [ ! -e "$link" ] || fail "$link is still there from an earlier simulator"
  sim_log=$case_dir/$which.simlog
  "$sim" --link "$link" "$@" >"$sim_log" 2>"$case_dir/$which.simerr" &
  sim_pid=$!
  wait_until 60 sim_ready "$link" || fail "scanner-sim did not make $link"
}

# Ends the simulator of $1's run, once the line $2 (a grep pattern; none for no such wait) is in
# its log: the client's close, which wine's server may pass on after the loader has ended. Ended,
# the simulator has logged every frame that came before; $case_dir/$1.sim gets them.
stop_sim() {
  local which=$1 last=${2:-}
  if [ -n "$last" ]; then
    wait_until 60 sim_log_has "$last" || fail "the simulator never logged '$last' for $which"
  fi
  kill "$sim_pid" 2>/dev/null
  wait "$sim_pid" 2>/dev/null
  sim_pid=
  tail -n +2 "$sim_log" >"$case_dir/$which.sim"
}

# Runs one loader ($1: linux or wine) with the arguments that follow; leaves its standard output,
# standard error and exit status in $case_dir/$1.out, .err and .status.
run_loader() {
  local which=$1
  shift
  if [ "$which" = linux ]; then
    "$linux_codeload" "$@" >"$case_dir/$which.out" 2>"$case_dir/$which.err" </dev/null
  else
    wine "$exe" "$@" >"$case_dir/$which.out" 2>"$case_dir/$which.err" </dev/null
  fi
  echo $? >"$case_dir/$which.status"
}

# Standard error with the line that names the device taken out: it alone differs by system.
err_without_device() {
  grep -v -e '^codeload: COM[1-4] is ' -e '^codeload: cannot open COM[1-4] ' "$case_dir/$1.err"
}

# Both loaders did the same, and that is what the case expects: status $1, $2 log lines, each
# further argument a text standard error must hold.
expect_same() {
  local status=$1 lines=$2
  shift 2
  local linux_status wine_status
  linux_status=$(cat "$case_dir/linux.status")
  wine_status=$(cat "$case_dir/wine.status")
  [ "$linux_status" = "$status" ] || fail "Linux codeload exited $linux_status, expected $status"
  [ "$wine_status" = "$status" ] || fail "codeload.exe exited $wine_status, expected $status"
  cmp -s "$case_dir/linux.out" "$case_dir/wine.out" ||
    fail "the logs differ: $(diff "$case_dir/linux.out" "$case_dir/wine.out" | head -5)"
  [ "$(wc -l <"$case_dir/wine.out")" = "$lines" ] ||
    fail "codeload.exe logged $(wc -l <"$case_dir/wine.out") lines, expected $lines"
  cmp -s <(err_without_device linux) <(err_without_device wine) ||
    fail "standard error differs: $(diff <(err_without_device linux) <(err_without_device wine) | head -5)"
  cmp -s "$case_dir/linux.sim" "$case_dir/wine.sim" ||
    fail "the simulator received other frames: $(diff "$case_dir/linux.sim" "$case_dir/wine.sim" | head -5)"
  local text err
  err=$(cat "$case_dir/wine.err")
  for text in "$@"; do
    [[ $err == *"$text"* ]] || fail "standard error lacks '$text'"
  done
}

# The line that names the device: a path on Linux, the COM name or --port's NAME on Windows.
expect_device_lines() {
  grep -qxF -- "$1" "$case_dir/linux.err" || fail "Linux codeload did not say '$1'"
  grep -qxF -- "$2" "$case_dir/wine.err" || fail "codeload.exe did not say '$2'"
}

# What this case's own runs left, for a case that failed.
report() {
  local which file
  for which in linux wine; do
    echo "# $which: status $(cat "$case_dir/$which.status" 2>/dev/null || echo none)"
    for file in err out sim simerr; do
      [ -s "$case_dir/$which.$file" ] || continue
      sed "s/^/#   $which $file: /" "$case_dir/$which.$file" | tail -12
    done
  done
}
end() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null
    wait "$sim_pid" 2>/dev/null
    sim_pid=
  fi
  if [ "$case_ok" = 1 ]; then
    echo "ok - $case_name"
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    report
  fi
}

completed="Procedura di scaricamento codice terminata correttamente."
cancelled="La procedura di invio codice sarà annullata!"
not_completed="Procedura di scaricamento codice NON completata !"

left_open="^download ended without its closing exchange"

# One download by each loader, each against a simulator of its own on COMn ($1) with the options
# $2 (one word or none); the Linux loader takes --port COMn=the link. $3 is the line that ends
# the simulator's log (a grep pattern); the loaders' arguments follow.
both_load() {
  local com=$1 options=$2 last=$3
  shift 3
  local which
  for which in linux wine; do
    # shellcheck disable=SC2086  # the options are one word or none
    start_sim "$com" "$which" $options
    if [ "$which" = linux ]; then
      run_loader linux --port "$com=$work/${com,,}" "$@"
    else
      run_loader wine "$@"
    fi
    stop_sim "$which" "$last"
  done
}

begin "carton code with a pound sign on COM1"
both_load COM1 "" "^code: " --yes carton 'AB£123'
expect_same 0 44 "Confermi invio codice di confronto astuccio 'AB£123' allo scanner ?" "$completed"
expect_device_lines "codeload: COM1 is $work/com1" "codeload: COM1 is COM1"
grep -qxF "code: AB£123" "$case_dir/wine.sim" || fail "the simulator did not store AB£123"
# The pound sign went out as the single byte A3, which the simulator shows as the character.
grep -qxF "RX: <ESC>NF£" "$case_dir/wine.sim" || fail "no frame <ESC>NF£ for the third character"
end

begin "longest leaflet code on COM2"
code=LEAFLET-0123456789-abcdefghijkl
both_load COM2 "" "^code: " --yes leaflet "$code"
expect_same 0 44 "$completed"
expect_device_lines "codeload: COM2 is $work/com2" "codeload: COM2 is COM2"
grep -qxF "code: $code" "$case_dir/wine.sim" || fail "the simulator did not store $code"
end

begin "--port lets COM2 denote another Windows device"
start_sim COM1 linux
run_loader linux --port "COM2=$work/com1" --yes leaflet MAPPED
stop_sim linux "^code: "
start_sim COM1 wine
run_loader wine --port 'COM2=\\.\COM1' --yes leaflet MAPPED
stop_sim wine "^code: "
expect_same 0 44 "$completed"
expect_device_lines "codeload: COM2 is $work/com1" 'codeload: COM2 is \\.\COM1'
grep -qxF "code: MAPPED" "$case_dir/wine.sim" || fail "the simulator did not store MAPPED"
end

begin "missing device"
[ ! -e "$work/com2" ] || fail "$work/com2 is still there"
run_loader linux --port "COM2=$work/com2" --yes leaflet GONE
run_loader wine --yes leaflet GONE
: >"$case_dir/linux.sim"
: >"$case_dir/wine.sim"
expect_same 1 4 "Impossibile aprire dispositivo di comunicazione seriale!
$cancelled"
expect_device_lines "codeload: cannot open COM2 ($work/com2): not found" \
  "codeload: cannot open COM2 (COM2): not found"
grep -qxF -- "--> ERRORE: Impossibile aprire dispositivo di comunicazione seriale!" \
  "$case_dir/wine.out" || fail "the log lacks the open error"
end

# The loader gives up and closes the line in the middle of the download: the simulator says so.
begin "silent scanner"
both_load COM1 --silent "$left_open" --yes carton SILENT1
expect_same 1 5 "Timeout risposta da scanner!"
grep -qxF -- "--> ERRORE: Timeout risposta da scanner!" "$case_dir/wine.out" ||
  fail "the log lacks the time-out"
grep -qxF "RX: <ESC>[C" "$case_dir/wine.sim" || fail "the opening command did not arrive"
end

begin "wrong reply"
both_load COM1 --wrong-reply "$left_open" --yes carton WRONG1
expect_same 1 "$(wc -l <"$case_dir/linux.out")" "$cancelled"
grep -qxF "RX: <ESC>[C" "$case_dir/wine.sim" || fail "the opening command did not arrive"
grep -q -- "^--> ERRORE: " "$case_dir/wine.out" || fail "the log lacks the error"
tail -n 1 "$case_dir/wine.out" | grep -qxF "$not_completed" || fail "the log does not end as failed"
end

# A second loader while the first one holds the port: it is turned away before it sends anything,
# and the first loader's download goes through undisturbed. The second one starts once the first
# has sent its opening command; the simulator's replies, each half a second late (the loader
# waits up to 1 s), keep the first one on the line for some 3 s from then.
held() {
  local which=$1
  start_sim COM1 "$which" --delay 500
  if [ "$which" = linux ]; then
    "$linux_codeload" --port "COM1=$work/com1" --yes carton FIRST \
      >"$case_dir/$which.first.out" 2>&1 </dev/null &
  else
    wine "$exe" --yes carton FIRST >"$case_dir/$which.first.out" 2>&1 </dev/null &
  fi
  local first=$!
  wait_until 60 sim_log_has '^RX' || fail "$which: the first loader sent nothing"
  if [ "$which" = linux ]; then
    run_loader linux --port "COM1=$work/com1" --yes carton SECOND
  else
    run_loader wine --yes carton SECOND
  fi
  wait "$first"
  echo $? >"$case_dir/$which.first"
  stop_sim "$which" "^code: "
  # The frames alone: the simulator takes any close of its terminal for the client's, and the
  # Linux loader opens the device before its lock turns it away, where Windows never opens it.
  grep -E '^(RX|TX|code)' "$case_dir/$which.sim" >"$case_dir/$which.frames"
  mv "$case_dir/$which.frames" "$case_dir/$which.sim"
}
begin "port held by another loader"
held linux
held wine
expect_same 1 4 "Impossibile aprire dispositivo di comunicazione seriale!
$cancelled"
grep -q "^codeload: cannot open COM1 ($work/com1): in use by pid [0-9]* (codeload)$" \
  "$case_dir/linux.err" || fail "Linux codeload did not name the holder"
grep -qxF "codeload: cannot open COM1 (COM1): in use by another program" "$case_dir/wine.err" ||
  fail "codeload.exe did not say the port is in use"
for which in linux wine; do
  [ "$(cat "$case_dir/$which.first")" = 0 ] || fail "$which: the first download was disturbed"
  grep -qxF "code: FIRST" "$case_dir/$which.sim" || fail "$which: the first code was not stored"
  grep -qF "SECOND" "$case_dir/$which.sim" && fail "$which: the second loader reached the scanner"
done
end

# The simulator never replies and is ended once the opening command has come, while the loader
# waits for the reply: the device hangs up in the middle of the exchange, well within the
# loader's 1 s wait for a reply.
hang_up() {
  local which=$1
  start_sim COM1 "$which" --silent
  if [ "$which" = linux ]; then
    "$linux_codeload" --port "COM1=$work/com1" --yes carton HANGUP \
      >"$case_dir/$which.out" 2>"$case_dir/$which.err" </dev/null &
  else
    wine "$exe" --yes carton HANGUP >"$case_dir/$which.out" 2>"$case_dir/$which.err" </dev/null &
  fi
  local loader=$!
  wait_until 60 sim_log_has '^RX' || fail "$which: the loader sent nothing"
  stop_sim "$which"
  wait "$loader"
  echo $? >"$case_dir/$which.status"
}
begin "hang-up in the middle of the exchange"
hang_up linux
hang_up wine
expect_same 1 5 "Errore durante la ricezione da dispositivo di comunicazione seriale!
$cancelled"
grep -qxF "RX: <ESC>[C" "$case_dir/wine.sim" || fail "the opening command did not arrive"
grep -qxF -- \
  "--> ERRORE: Problemi durante ricezione dati da dispositivo di comunicazione seriale!" \
  "$case_dir/wine.out" || fail "the log lacks the receive error"
end

# Ctrl-C typed on the loader's terminal (its console, under wine) once the scanner has answered
# the opening command: the loader says so, finishes the exchange and exits 130, as SIGINT does on
# Linux. The simulator waits before each reply, so that the exchange is still going on.
interrupt() {
  local which=$1
  shift
  start_sim COM1 "$which" --delay 300
  python3 tests/windows/console_interrupt.py "RX: " 120 "$@" >"$case_dir/$which.tty" \
    2>"$case_dir/$which.err" </dev/null
  echo $? >"$case_dir/$which.status"
  # The terminal's own line ends and, under wine, the console's cursor sequences taken out.
  tr -d '\r' <"$case_dir/$which.tty" | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' >"$case_dir/$which.out"
  stop_sim "$which" "^code: "
}
begin "Ctrl-C in the middle of the exchange"
if command -v python3 >/dev/null; then
  interrupt linux "$linux_codeload" --port "COM1=$work/com1" --yes carton CTRLC
  interrupt wine wine "$exe" --yes carton CTRLC
  for which in linux wine; do
    [ "$(cat "$case_dir/$which.status")" = 130 ] ||
      fail "$which: exit status $(cat "$case_dir/$which.status"), expected 130"
    grep -qxF "$completed" "$case_dir/$which.out" || fail "$which: the download did not finish"
    grep -qxF "code: CTRLC" "$case_dir/$which.sim" || fail "$which: the scanner did not store CTRLC"
    grep -qxF "RX: <ESC>[A" "$case_dir/$which.sim" || fail "$which: no closing exchange"
  done
  grep -qxF "codeload: SIGINT received; finishing the exchange with the scanner first" \
    "$case_dir/linux.out" || fail "Linux codeload did not tell the SIGINT"
  grep -qxF "codeload: Ctrl-C received; finishing the exchange with the scanner first" \
    "$case_dir/wine.out" || fail "codeload.exe did not tell the Ctrl-C"
  cmp -s "$case_dir/linux.sim" "$case_dir/wine.sim" ||
    fail "the simulator received other frames: $(diff "$case_dir/linux.sim" "$case_dir/wine.sim" | head -5)"
  end
else
  echo "skip - $case_name: python3 is not installed"
fi

echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
