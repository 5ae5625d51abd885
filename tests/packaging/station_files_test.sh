#!/usr/bin/env bash
# The files a station installs: both desktop entries validate, the kiosk unit verifies as
# installed (any warning about it fails too), and the kiosk session passes the panel's own exit
# status on, which cage does not.
#   station_files_test.sh SOURCE-DIR BUILD-DIR
set -uo pipefail
source_dir=$1
build_dir=$2
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

for entry in codepanel.desktop codepanel-autostart.desktop; do
  out=$(desktop-file-validate "$source_dir/packaging/$entry" 2>&1) || fail "$entry: $out"
  [ -z "$out" ] || fail "$entry: $out"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
DESTDIR="$scratch/root" cmake --install "$build_dir" --component Unspecified >/dev/null ||
  fail "cmake --install"
unit=$(find "$scratch/root" -name 'codepanel-kiosk@.service')
[ -n "$unit" ] || fail "the kiosk unit is not installed"
if [ -n "$unit" ]; then
  # The unit names the installed programs; point it at the copies installed here.
  prefix=$(sed -n 's#^ExecStart=\(/.*\)/libexec/codepanel/kiosk-session .*#\1#p' "$unit")
  [ -n "$prefix" ] || fail "no ExecStart with the kiosk session in $unit"
  mkdir -p "$scratch/units"
  sed "s#$prefix/#$scratch/root$prefix/#g" "$unit" >"$scratch/units/codepanel-kiosk@operator.service"
  out=$(systemd-analyze verify "$scratch/units/codepanel-kiosk@operator.service" 2>&1) ||
    fail "systemd-analyze verify: $out"
  ! grep -q 'codepanel-kiosk' <<<"$out" || fail "systemd-analyze verify: $out"
fi

# The session with a stand-in cage that runs its client and, like cage, always ends with 0;
# "none" stands for a compositor that fails before its client starts.
mkdir -p "$scratch/bin"
cat >"$scratch/bin/cage" <<'CAGE'
#!/bin/sh
while [ "$1" != "--" ]; do shift; done
shift
[ "$FAKE_CAGE" = none ] && exit 1
trap 'echo stopped >"$FAKE_CAGE_STOPPED"; kill -TERM $client' TERM
"$@" &
client=$!
wait $client || wait $client
exit 0
CAGE
chmod +x "$scratch/bin/cage"
session=$source_dir/packaging/kiosk-session
check_status() {
  local expected=$1 mode=$2
  shift 2
  CODEPANEL_PORTS_FILE=/nonexistent RUNTIME_DIRECTORY=$scratch FAKE_CAGE=$mode PATH="$scratch/bin:$PATH" "$session" "$@" \
    >"$scratch/out" 2>&1
  local got=$?
  [ "$got" = "$expected" ] || fail "kiosk-session $*: status $got, expected $expected"
}
check_status 0 run /bin/sh -c 'exit 0'
check_status 3 run /bin/sh -c 'exit 3'
check_status 139 run /bin/sh -c 'kill -SEGV $$'
check_status 1 none /bin/true
grep -q 'the compositor ended (status 1) before the panel' "$scratch/out" ||
  fail "no line for a compositor that failed: $(cat "$scratch/out")"
# A device that the ports file names and that appears a moment later is waited for.
printf '# station\n  COM1 = %s  # by-id link\n' "$scratch/later" >"$scratch/ports"
(sleep 1 && touch "$scratch/later") &
CODEPANEL_PORTS_FILE=$scratch/ports RUNTIME_DIRECTORY=$scratch FAKE_CAGE=run \
  PATH="$scratch/bin:$PATH" "$session" /bin/sh -c "[ -e '$scratch/later' ]" >"$scratch/out" 2>&1 ||
  fail "kiosk-session did not wait for $scratch/later: $(cat "$scratch/out")"
wait

# wlroots' endlessly repeated errors are each logged once; the compositor's other lines pass.
CODEPANEL_PORTS_FILE=/nonexistent RUNTIME_DIRECTORY=$scratch FAKE_CAGE=run PATH="$scratch/bin:$PATH" \
  "$session" /bin/sh -c 'for i in 1 2 3; do
      echo "00:00:0$i.000 [ERROR] [backend/drm/drm.c:656] Basic output test failed for Virtual-1"
      echo "00:00:0$i.100 [ERROR] [types/output/cursor.c:269] Failed to pick cursor format"
      echo "00:00:0$i.200 [ERROR] [types/output/cursor.c:354] Failed to render cursor buffer"
      echo "a real error $i" >&2
    done' >"$scratch/out" 2>&1
for repeated in 'Basic output test failed' 'Failed to pick cursor format' \
  'Failed to render cursor buffer'; do
  [ "$(grep -c "$repeated" "$scratch/out")" = 1 ] ||
    fail "'$repeated' was not logged once: $(cat "$scratch/out")"
done
[ "$(grep -c '^a real error [123]$' "$scratch/out")" = 3 ] ||
  fail "the compositor's other lines did not all pass: $(cat "$scratch/out")"

# A stop reaches the compositor, and the session then ends by the same signal (a clean stop for
# systemd), not with the panel's status.
CODEPANEL_PORTS_FILE=/nonexistent RUNTIME_DIRECTORY=$scratch FAKE_CAGE=run PATH="$scratch/bin:$PATH" \
  FAKE_CAGE_STOPPED=$scratch/stopped "$session" /bin/sh -c "echo up >$scratch/up; while [ ! -e $scratch/stopped ]; do sleep 0.1; done" \
  >"$scratch/out" 2>&1 &
stopped_session=$!
for _ in $(seq 1 100); do [ -e "$scratch/up" ] && break; sleep 0.1; done
kill -TERM "$stopped_session"
wait "$stopped_session"
got=$?
[ "$got" = 143 ] || fail "a stopped session ended with status $got, not by SIGTERM (143)"
[ -e "$scratch/stopped" ] || fail "the compositor was not stopped with the session"

# After the session, the login comes back only when the panel exited with 0 ("Esci").
cat >"$scratch/bin/systemctl" <<SYSTEMCTL
#!/bin/sh
echo "\$*" >>"$scratch/systemctl.log"
SYSTEMCTL
chmod +x "$scratch/bin/systemctl"
ended=$source_dir/packaging/kiosk-ended
for case in "exited 0 start" "exited 139 -" "killed TERM -" "killed SEGV -"; do
  set -- $case
  rm -f "$scratch/systemctl.log"
  EXIT_CODE=$1 EXIT_STATUS=$2 PATH="$scratch/bin:$PATH" "$ended" || fail "kiosk-ended $1 $2 failed"
  if [ "$3" = start ]; then
    grep -q -- '--no-block start getty@tty1.service' "$scratch/systemctl.log" 2>/dev/null ||
      fail "kiosk-ended $1 $2 did not start the login"
  else
    [ ! -e "$scratch/systemctl.log" ] || fail "kiosk-ended $1 $2 ran systemctl $(cat "$scratch/systemctl.log")"
  fi
done

leftover=$(find "$scratch" -maxdepth 1 -name 'kiosk.*')
[ -z "$leftover" ] || fail "session folders left behind: $leftover"

[ "$failures" -eq 0 ] && echo "station files: all checks passed"
exit $((failures > 0))
