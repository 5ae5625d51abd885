#!/usr/bin/env bash
# The kiosk unit's command, run in cage on screens of 1024x768, 1280x1024 and 1920x1080: the panel
# must come up as the only window, centred and enlarged to the screen with its proportions kept;
# a touch on either code field opens the keyboard over the panel with the field still in sight;
# "Esci" opens its box centred on the panel. Screenshots come from grim and are measured with
# ImageMagick; they are kept in BUILD-DIR as kiosk-WxH.png, kiosk-WxH-keyboard-carton.png,
# kiosk-WxH-keyboard-leaflet.png and kiosk-WxH-box.png (the pictures in docs/ are such
# screenshots). KIOSK_SCREENS="WxH ..." chooses other screens.
#
# cage's headless output cannot change its size and shows a window that covers it by handing the
# window's own buffer to the output, which a screenshot cannot read; so cage runs on its X11
# backend in an Xvfb, whose window takes each screen size, and xdotool touches and types through
# it. The panel starts once the output has its size (a wrapper before codepanel waits for that).
#   kiosk_screenshot_test.sh SOURCE-DIR BUILD-DIR CODEPANEL
set -uo pipefail
source_dir=$1
build_dir=$2
codepanel=$3
for tool in cage grim Xwayland runuser setsid Xvfb xwininfo xdotool convert compare identify; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

# cage will not run as root: the run goes to nobody, with copies it may read and a runtime
# folder of its own.
scratch=$(mktemp -d)
chmod 755 "$scratch"
cp "$codepanel" "$source_dir/packaging/kiosk-session" "$scratch/"
# Codes for the fields to show, read from beside the program as a station's last codes are.
printf '[SETTING]\r\nLAST_CODE=ABC123\r\nLAST_AIC_CODE=LOT42\r\n' >"$scratch/config.dat"
cat >"$scratch/when-sized" <<'EOF'
#!/bin/sh
# Starts the panel once the test has sized the compositor's output (at most 60 s: the test
# says so by then, or has ended the session).
for _ in $(seq 600); do
  [ -e "$RUNTIME_DIRECTORY/sized" ] && exec "$@"
  sleep 0.1
done
echo "when-sized: the output was not sized in 60 s" >&2
exit 1
EOF
chmod 755 "$scratch/when-sized"
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(runuser -u nobody --)
[ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix

# The session runs in a process group of its own (setsid), which is ended as a whole: the
# compositor, Xwayland and the panel with it.
session=""
xvfb=""
runtime=""
stop_session() {
  if [ -n "$session" ]; then
    kill -- "-$session" 2>/dev/null
    wait "$session" 2>/dev/null
  fi
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  session="" xvfb=""
}
trap 'stop_session; rm -rf "$scratch"' EXIT

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Retries `$@` every 0.2 s until it succeeds, for at most $1 seconds.
wait_for() {
  local limit=$1
  shift
  local deadline=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# Takes FILE again until two pictures in a row agree (at most 10 s): the window has its final look.
hold_still() { # FILE
  local file=$1
  still() {
    cp "$file" "$runtime/previous.png" && shoot "$file" && ! differs "$runtime/previous.png" "$file"
  }
  wait_for 10 still
}

shoot() { # FILE
  "${as_user[@]}" env XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-0 grim -t ppm "$1.ppm" \
    2>/dev/null && mv "$1.ppm" "$1"
}
screen_is() { # WxH
  shoot "$runtime/probe" && [ "$(identify -format '%wx%h' "$runtime/probe")" = "$1" ]
}
# The bounding box of what is not black, as W H X Y.
drawn_box() { # FILE
  convert "$1" -bordercolor black -border 1 -fuzz 1% -trim -format '%w %h %X %Y' info: |
    tr -d '+' | awk '{print $1, $2, $3 - 1, $4 - 1}'
}
# The bounding box of what differs between two screenshots, as W H X Y.
changed_box() { # BEFORE AFTER
  compare -fuzz 1% "$1" "$2" -compose src -highlight-color white -lowlight-color black \
    "$runtime/diff.png" 2>/dev/null
  drawn_box "$runtime/diff.png"
}
changed_pixels() { # BEFORE AFTER
  local changed
  changed=$(compare -fuzz 1% -metric AE "$1" "$2" null: 2>&1)
  echo "${changed%%.*}"
}
differs() { # BEFORE AFTER [AT-LEAST]: more pixels changed than AT-LEAST (1000)
  [ "$(changed_pixels "$1" "$2")" -gt "${3:-1000}" ] 2>/dev/null
}
# A window that went away leaves at most a tenth of what it changed (the focus may have moved).
gone() { # BEFORE WITH-WINDOW AFTER
  shoot "$3" && [ "$(changed_pixels "$1" "$3")" -lt $(($(changed_pixels "$1" "$2") / 10)) ]
}
shows_panel() { # FILE X Y: a blue banner pixel there
  local colour
  colour=($(convert "$1" -format '%[fx:int(255*p{'"$2,$3"'}.r)] %[fx:int(255*p{'"$2,$3"'}.b)]' info:))
  [ "${colour[1]:-0}" -gt 80 ] && [ "${colour[1]}" -gt "${colour[0]}" ]
}
touch_at() { # X Y
  DISPLAY=$display xdotool mousemove "$1" "$2" click 1
}
near() { # MEASURED EXPECTED WHAT
  local delta=$(($1 - $2))
  [ "${delta#-}" -le 2 ] || fail "$3 is $1, expected $2"
}

# The unit's own command line, with the copies in place of the installed programs and the
# wrapper before the panel.
command=$(sed -n 's#^ExecStart=##p' "$source_dir/packaging/codepanel-kiosk@.service")
read -r -a words <<<"$command"
[[ " ${words[*]} " == *" --fit-screen "* ]] || fail "the kiosk unit does not pass --fit-screen"

run_screen() { # WIDTH HEIGHT
  local width=$1 height=$2
  local size=${width}x${height}
  echo "== screen $size"
  runtime=$scratch/runtime-$size
  mkdir -m 700 "$runtime"
  [ "$(id -u)" -eq 0 ] && chown nobody "$runtime"
  # Xvfb picks a display number that is free and writes it once it is ready for clients.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$runtime/display" \
    >"$runtime/xvfb.log" 2>&1 &
  xvfb=$!
  display_ready() { [ -s "$runtime/display" ] && display=:$(head -n 1 "$runtime/display"); }
  if ! wait_for 20 display_ready; then
    fail "Xvfb did not start"
    cat "$runtime/xvfb.log"
    stop_session
    return
  fi
  local argv=("$scratch/kiosk-session" "$scratch/when-sized" "$scratch/codepanel"
    "${words[@]:2}" --no-power-off)
  setsid "${as_user[@]}" env HOME="$runtime" XDG_RUNTIME_DIR="$runtime" DISPLAY="$display" \
    WLR_BACKENDS=x11 WLR_RENDERER=pixman QT_QPA_PLATFORM=wayland RUNTIME_DIRECTORY="$runtime" \
    CODEPANEL_PORTS_FILE=/nonexistent "${argv[@]}" >"$runtime/session.log" 2>&1 &
  session=$!
  local output=""
  find_output() {
    output=$(DISPLAY=$display xwininfo -root -children 2>/dev/null | awk '/1024x768/ {print $1}')
    [ -n "$output" ]
  }
  if ! wait_for 30 find_output; then
    fail "cage's output window did not appear"
    cat "$runtime/session.log"
    stop_session
    return
  fi
  DISPLAY=$display xdotool windowsize "$output" "$width" "$height"
  wait_for 20 screen_is "$size" || fail "the output did not take the size $size"
  : >"$runtime/sized"

  # The panel as it should stand: the template's 635x478 pixels enlarged to the screen.
  local expected
  expected=($(awk -v w="$width" -v h="$height" 'BEGIN {
    s = w / 635 < h / 478 ? w / 635 : h / 478
    pw = int(635 * s + 0.5); ph = int(478 * s + 0.5)
    print pw, ph, int((w - pw) / 2), int((h - ph) / 2), s }'))
  local banner_x=$((expected[2] + expected[0] * 300 / 635))
  local banner_y=$((expected[3] + expected[1] * 40 / 478))
  local shot=$runtime/panel.png
  panel_up() { shoot "$shot" && shows_panel "$shot" "$banner_x" "$banner_y"; }
  if ! wait_for 40 panel_up; then
    fail "no panel on the $size screen; the session said:"
    cat "$runtime/session.log"
    stop_session
    return
  fi
  # Redrawn once it has its final size: take the picture again once two agree.
  hold_still "$shot"
  local box
  box=($(drawn_box "$shot"))
  echo "panel ${box[0]}x${box[1]} at ${box[2]},${box[3]}; expected ${expected[0]}x${expected[1]} at ${expected[2]},${expected[3]} (scale ${expected[4]})"
  near "${box[0]}" "${expected[0]}" "the panel's width"
  near "${box[1]}" "${expected[1]}" "the panel's height"
  near "${box[2]}" "${expected[2]}" "the panel's left edge"
  near "${box[3]}" "${expected[3]}" "the panel's top edge"
  convert "$shot" "$build_dir/kiosk-$size.png"

  # A code field, touched: the keyboard opens over the panel, across its lower edge below the
  # carton field, across its upper edge above the leaflet field, which stays in sight.
  keyboard_for() { # NAME FIELD-TOP FIELD-BOTTOM (template pixels) EDGE (lower|upper)
    local top=$((expected[3] + expected[1] * $2 / 478))
    local bottom=$((expected[3] + expected[1] * $3 / 478))
    local before=$runtime/before-$1.png keyboard=$runtime/keyboard-$1.png
    shoot "$before"
    touch_at $((expected[2] + expected[0] * 150 / 635)) $(((top + bottom) / 2))
    keyboard_up() { shoot "$keyboard" && differs "$before" "$keyboard"; }
    if ! wait_for 20 keyboard_up; then
      fail "touching the $1 field opened no keyboard"
      return
    fi
    hold_still "$keyboard"
    local box
    box=($(changed_box "$before" "$keyboard"))
    echo "keyboard for the $1 field: ${box[0]}x${box[1]} at ${box[2]},${box[3]}; the field from y $top to $bottom"
    if [ "$4" = lower ]; then
      [ "${box[3]}" -gt "$bottom" ] ||
        fail "the keyboard (from y ${box[3]}) covers the $1 field (down to y $bottom)"
      near $((box[3] + box[1])) $((expected[3] + expected[1])) "the keyboard's lower edge"
    else
      [ $((box[3] + box[1])) -le "$top" ] ||
        fail "the keyboard (down to y $((box[3] + box[1]))) covers the $1 field (from y $top)"
      near "${box[3]}" "${expected[3]}" "the keyboard's upper edge"
    fi
    near $((box[2] + box[0] / 2)) $((expected[2] + expected[0] / 2)) "the keyboard's centre"
    convert "$keyboard" "$build_dir/kiosk-$size-keyboard-$1.png"
    DISPLAY=$display xdotool key Escape
    wait_for 20 gone "$before" "$keyboard" "$runtime/after.png" || {
      fail "Escape did not close the keyboard"
      convert "$runtime/after.png" "$build_dir/kiosk-$size-failed.png"
    }
  }
  keyboard_for carton 151 180 lower
  keyboard_for leaflet 239 268 upper

  # "Esci": its box stands centred on the panel, which is the screen's centre.
  shot=$runtime/before-box.png
  shoot "$shot"
  touch_at $((expected[2] + expected[0] * 500 / 635)) $((expected[3] + expected[1] * 456 / 478))
  local question=$runtime/box.png
  box_up() { shoot "$question" && differs "$shot" "$question"; }
  if wait_for 20 box_up; then
    hold_still "$question"
    box=($(changed_box "$shot" "$question"))
    echo "box ${box[0]}x${box[1]} at ${box[2]},${box[3]}"
    near $((box[2] + box[0] / 2)) $((width / 2)) "the box's centre across"
    near $((box[3] + box[1] / 2)) $((height / 2)) "the box's centre down"
    [ "${box[0]}" -gt $((expected[0] / 4)) ] || fail "the box (${box[0]} wide) is not enlarged with the panel"
    convert "$question" "$build_dir/kiosk-$size-box.png"
    DISPLAY=$display xdotool key Escape
    wait_for 20 gone "$shot" "$question" "$runtime/after.png" ||
      { fail "Escape did not close the box"; convert "$runtime/after.png" "$build_dir/kiosk-$size-failed.png"; }
  else
    fail "\"Esci\" opened no box"
  fi
  stop_session
}

display=""
for screen in ${KIOSK_SCREENS:-1024x768 1280x1024 1920x1080}; do
  run_screen "${screen%x*}" "${screen#*x}"
done
[ "$failures" -eq 0 ] && echo "kiosk: the panel is the only window, centred and enlarged ($build_dir/kiosk-*.png)"
exit $((failures > 0))
