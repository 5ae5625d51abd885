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
"$@"
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

leftover=$(find "$scratch" -maxdepth 1 -name 'panel-status.*')
[ -z "$leftover" ] || fail "status files left behind: $leftover"

[ "$failures" -eq 0 ] && echo "station files: all checks passed"
exit $((failures > 0))
