#!/usr/bin/env bash
# The kiosk unit's command, run in a headless cage: the panel must come up as the only window.
# A screenshot is taken with grim and checked: the panel's banner at its place at the top left,
# nothing but the compositor's black beside and below it. The picture is kept as
# BUILD-DIR/kiosk.png (docs/kiosk.png in the README is such a picture).
#   kiosk_screenshot_test.sh SOURCE-DIR BUILD-DIR CODEPANEL
set -uo pipefail
source_dir=$1
build_dir=$2
codepanel=$3
for tool in cage grim Xwayland runuser; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

# cage will not run as root: the run goes to nobody, with copies it may read and a runtime
# folder of its own.
scratch=$(mktemp -d)
chmod 755 "$scratch"
runtime=$scratch/runtime
mkdir -m 700 "$runtime"
cp "$codepanel" "$source_dir/packaging/kiosk-session" "$scratch/"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody "$runtime"
  as_user=(runuser -u nobody --)
fi
[ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix
env_vars=(HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman QT_QPA_PLATFORM=wayland
  RUNTIME_DIRECTORY="$runtime" CODEPANEL_PORTS_FILE=/nonexistent)
# The unit's own command line, with the copies in place of the installed programs.
command=$(sed -n 's#^ExecStart=##p' "$source_dir/packaging/codepanel-kiosk@.service")
read -r -a words <<<"$command"
words[0]=$scratch/kiosk-session
words[1]=$scratch/codepanel
"${as_user[@]}" env "${env_vars[@]}" "${words[@]}" --no-power-off >"$scratch/session.log" 2>&1 &
session=$!
cleanup() {
  kill "$session" 2>/dev/null
  pkill -u "$(id -u nobody)" -f "$scratch/" 2>/dev/null
  wait "$session" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

shot=$scratch/runtime/kiosk.ppm
taken=0
for _ in $(seq 1 40); do
  sleep 0.5
  [ -S "$runtime/wayland-0" ] || continue
  "${as_user[@]}" env XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-0 grim -t ppm "$shot" \
    2>/dev/null || continue
  # The panel has drawn once its banner is there.
  taken=1
  pixel() { od -An -tu1 -j $((header + ($2 * width + $1) * 3)) -N3 "$shot" | tr -s ' ' | sed 's/^ //'; }
  read -r magic width height max < <(head -c 20 "$shot" | tr '\n' ' ')
  header=$(($(stat -c %s "$shot") - width * height * 3))  # P6: a text header, then RGB
  banner=($(pixel 300 40))
  [ "${banner[2]:-0}" -gt 80 ] && [ "${banner[2]}" -gt "${banner[0]}" ] && break
done
[ "$taken" = 1 ] || { echo "FAIL: no screenshot; the session said:"; cat "$scratch/session.log"; exit 1; }

failures=0
check() { # x y what test
  local colour=($(pixel "$1" "$2"))
  eval "$4" || { echo "FAIL: $3 at ($1,$2) is ${colour[*]}"; failures=$((failures + 1)); }
}
echo "screen ${width}x${height}"
check 300 40 "the banner (blue)" '[ "${colour[2]}" -gt 80 ] && [ "${colour[2]}" -gt "${colour[0]}" ]'
check 317 370 "the log (white)" '[ "${colour[*]}" = "255 255 255" ]'
check 317 300 "the panel's face (light grey)" '[ "${colour[0]}" -gt 200 ] && [ "${colour[0]}" -lt 255 ]'
check $((width - 10)) 10 "the screen beside the panel (black)" '[ "${colour[*]}" = "0 0 0" ]'
check 300 $((height - 10)) "the screen below the panel (black)" '[ "${colour[*]}" = "0 0 0" ]'
"${as_user[@]}" env XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-0 grim \
  "$runtime/kiosk.png" && cp "$runtime/kiosk.png" "$build_dir/kiosk.png"
[ "$failures" -eq 0 ] && echo "kiosk: the panel is the only window ($build_dir/kiosk.png)"
exit $((failures > 0))
