#!/usr/bin/env bash
# The dialog driver proven on bare-dialog.exe (template 102 and nothing else) under wine on a
# private display: the layout against the template, a text typed into an edit, a question box
# owned by the dialog answered by its button's id, colours read back from the screen, and the end.
#
# Usage: tests/windows/bare_dialog_wine_test.sh WINDOWS_BUILD
# Exit status: 0 passed, 1 failed, 77 skipped (the line before says why).
set -uo pipefail
cd "$(dirname "$0")/../.." || exit 2

[ $# -eq 1 ] || { echo "usage: $0 WINDOWS_BUILD" >&2; exit 2; }
win_build=$(cd "$1" 2>/dev/null && pwd) || { echo "SKIP: no Windows build folder $1"; exit 77; }
bare=$win_build/tools/bare_dialog/bare-dialog.exe
driver=$win_build/tests/windows/dialog-driver.exe
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb is not installed"; exit 77; }
for program in "$bare" "$driver"; do
  [ -f "$program" ] || { echo "SKIP: $program has not been built"; exit 77; }
done

export LC_ALL=C.UTF-8
source scripts/wine_env.sh
wine_env "$win_build/wineprefix"
wine_prefix_init
wine_display_start || exit 1
work=$(mktemp -d)
bare_pid=
# shellcheck disable=SC2317  # called by the trap
clean_up() {
  [ -n "$bare_pid" ] && kill "$bare_pid" 2>/dev/null && wait "$bare_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  wine_display_stop
  rm -rf "$work"
}
trap clean_up EXIT
trap "exit 1" INT TERM

wine "$bare" >"$work/bare.out" 2>"$work/bare.err" &
bare_pid=$!
status=0
wine "$driver" >"$work/driver.out" 2>"$work/driver.err" <<'SCRIPT' || status=$?
dialog bare 1007
layout bare 102
text bare 1005 "Codice di controllo astuccio :"
text bare 1000 "Invia a scanner"
colour-in bare 1005 000000
chars bare 1003 "AB£ 1"
text bare 1003 "AB£ 1"
click bare 1000
box question bare
box-text question "Domanda ?"
caption question "bare-dialog.exe"
click question 7
gone question
no-box bare
text bare 1008 7
click bare 1010
gone bare
SCRIPT
cat "$work/driver.out"
if [ "$status" -ne 0 ]; then
  sed 's/^/# driver stderr: /' "$work/driver.err" | head -20
  exit 1
fi
wait "$bare_pid"
bare_status=$?
bare_pid=
[ "$bare_status" -eq 0 ] || { echo "not ok - bare-dialog.exe exited $bare_status"; exit 1; }
echo "ok - bare-dialog.exe ended on Esci"
