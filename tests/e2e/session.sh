#!/usr/bin/env bash
# End-to-end session with the real executable on a private X display (Xvfb, with openbox so that
# windows close the way a user closes them), driven by real X input from xdotool:
# type the fields, generate, zoom, drag, save, go back, change a field, generate again, close;
# then start the program again and check that the typed values came back and no work file is left.
#   session.sh PROGRAM
set -Eeuo pipefail

program=${1:?usage: session.sh PROGRAM}
started=$SECONDS

# A program this test needs that is not installed skips the test (CTest's SKIP_RETURN_CODE).
for tool in Xvfb openbox xdotool xwd xprop unzip; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit "${QUILL_SKIP_STATUS:-77}"; }
done

# Client sizes of the two windows, in pixels.
readonly MAIN_SIZE=536x407
readonly PREVIEW_SIZE=656x626
# Points inside the controls, in pixels from the window's top-left corner.
readonly START_BUTTON=(268 21)
readonly YOUR_NAME_FIELD=(316 105)
readonly RECIPIENT_NAME_FIELD=(316 255)
readonly ZOOM_IN_BUTTON=(172 557)
readonly SAVE_BUTTON=(488 603)
readonly BACK_BUTTON=(164 603)
readonly CANVAS_POINT=(300 250)
# The preview's rows that show the viewport and its vertical scrollbar, clear of the buttons (whose
# focus and hover looks change with every click).
readonly VIEWPORT_ROWS=(8 503)
# How long any awaited change may take, in tenths of a second.
readonly WAIT_TENTHS=300

# The typed values in the fields' tab order (Your Name, Title, Street Address, City, State, Zip Code,
# Recipient Name, Title, Company Name, Street Address, City, State, Zip Code) and their settings keys.
readonly VALUES=("Zoe Kestrel-Vane" "Chief Scribe" "77 Larkspur Row" "Fernhollow" "OR" "97001"
                 "Bram Ostrander" "Buyer" "Ostrander & Daughters" "5 Quay Street" "Saltmere" "ME" "04101")
readonly KEYS=(0 12 6 1 8 9 7 10 11 4 5 3 2)
readonly NEW_RECIPIENT="Wren Ostrander"

work=$(mktemp -d)
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime TEMP=$work/temp
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$TEMP" "$work/saved"
chmod 700 "$XDG_RUNTIME_DIR" "$TEMP"
settings=$XDG_CONFIG_HOME/Kestrelon.ini
xvfb_pid="" wm_pid="" app_pid=""

cleanup() {
    for pid in $app_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    if [ "${keep_work:-}" = 1 ]; then echo "work folder kept: $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT
trap 'fail "line $LINENO failed: $BASH_COMMAND"' ERR

fail() {
    exec >&2
    echo "FAIL: $*"
    echo "-- visible windows:"
    for w in $(xdotool search --onlyvisible --name . 2>/dev/null || true); do
        echo "   $w '$(xdotool getwindowname "$w")' $(size_of "$w")"
    done
    echo "-- TEMP: $(ls -A "$TEMP" | tr '\n' ' ')"
    echo "-- program output:"; cat "$work/program.log" 2>/dev/null || true
    keep_work=1
    exit 1
}

# Runs the command until it succeeds; fails with `description` when it never does.
wait_until() {
    local description=$1; shift
    for ((tenth = 0; tenth < WAIT_TENTHS; ++tenth)); do
        "$@" >/dev/null && return 0
        sleep 0.1
    done
    fail "timed out waiting: $description"
}

size_of() { xdotool getwindowgeometry "$1" 2>/dev/null | sed -n 's/^ *Geometry: //p'; }

# The program's visible window of client size $1, if there is exactly one.
window_of_size() {
    local found=()
    for w in $(xdotool search --onlyvisible --pid "$app_pid" --name . 2>/dev/null || true); do
        [ "$(size_of "$w")" = "$1" ] && found+=("$w")
    done
    [ ${#found[@]} -eq 1 ] && echo "${found[0]}"
}

# A visible window of the program that is neither of its two windows: a message box or a dialog.
other_window() {
    for w in $(xdotool search --onlyvisible --pid "$app_pid" --name . 2>/dev/null || true); do
        case "$(size_of "$w")" in "$MAIN_SIZE" | "$PREVIEW_SIZE") ;; *) echo "$w"; return 0 ;; esac
    done
    return 1
}

no_other_window() { ! other_window >/dev/null; }

# Waits for the window of the given size, with no other window of the program beside it (an error box
# would be one), and sets the variable named $3 to its id.
await_window() {
    local size=$1 name=$2
    wait_until "the $name" window_of_size "$size" >/dev/null
    no_other_window || fail "a message box or dialog is open beside the $name"
    printf -v "$3" '%s' "$(window_of_size "$size")"
}

hidden() { ! window_of_size "$1" >/dev/null; }

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# Selects the whole field under the point and types `text` over it.
type_into() {
    click "$1" "$2" "$3"
    xdotool key ctrl+a
    xdotool type --delay 5 "$4"
}

# A hash of the preview's viewport rows as the X server shows them (from the window's XWD dump:
# a header of big-endian 32-bit fields, the colour table of 12-byte entries, then the rows).
viewport_snapshot() {
    local dump=$work/window.xwd header
    xwd -silent -id "$1" >"$dump"
    read -r -a header < <(od -An -tu4 --endian=big -w100 -N 100 "$dump")
    local header_size=${header[0]} bytes_per_line=${header[12]} colours=${header[19]}
    local first=$((header_size + colours * 12 + VIEWPORT_ROWS[0] * bytes_per_line))
    local length=$(((VIEWPORT_ROWS[1] - VIEWPORT_ROWS[0]) * bytes_per_line))
    head -c $((first + length)) "$dump" | tail -c "$length" | md5sum
}
viewport_changed_from() { [ "$(viewport_snapshot "$1")" != "$2" ]; }

work_files() { find "$TEMP" -mindepth 1 -maxdepth 1 -printf '%f\n'; }
one_letter() { [ "$(find "$TEMP" -maxdepth 1 -name 'zatlec[1-9][1-9][1-9][1-9][1-9][1-9][1-9][1-9].doc' | wc -l)" -eq 1 ]; }
letter_path() { find "$TEMP" -maxdepth 1 -name 'zatlec*.doc'; }
no_work_file() { [ -z "$(work_files)" ]; }

# The letter's body holds `text` (XML-escaped as the document stores it).
letter_says() {
    local escaped=${2//&/&amp;}
    unzip -p "$1" word/document.xml | grep -qF -- "$escaped"
}

settings_hold() { grep -qxF -- "Text1_$1=$2" "$settings" 2>/dev/null; }

start_program() {
    QT_QPA_PLATFORM=xcb "$program" >>"$work/program.log" 2>&1 &
    app_pid=$!
}

# Waits until the program has ended and checks that it ended normally.
await_exit() {
    wait_until "the program to end" program_ended
    local status=0
    wait "$app_pid" || status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status"
    app_pid=""
}
program_ended() { ! kill -0 "$app_pid" 2>/dev/null || grep -q '^State:.*Z' "/proc/$app_pid/status" 2>/dev/null; }

# Brings the window to the front with the keyboard focus, as a click on it would.
activate() {
    timeout 10 xdotool windowactivate --sync "$1" || fail "the window manager did not activate window $1"
}

# Closes a window the way a user does: the window manager asks it to close.
close_window() {
    activate "$1"
    xdotool key --clearmodifiers alt+F4
}

echo "== private X display with a window manager"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_until "Xvfb to name its display" test -s "$work/display"
export DISPLAY=:$(head -n1 "$work/display")
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_until "openbox to manage the display" wm_ready

echo "== first run: type the fields"
start_program
await_window "$MAIN_SIZE" "main window" main
click "$main" "${YOUR_NAME_FIELD[@]}"
for index in "${!VALUES[@]}"; do
    xdotool key ctrl+a
    xdotool type --delay 5 "${VALUES[$index]}"
    xdotool key Tab
done
for index in "${!VALUES[@]}"; do
    wait_until "settings key Text1_${KEYS[$index]} to hold '${VALUES[$index]}'" settings_hold "${KEYS[$index]}" "${VALUES[$index]}"
done

echo "== generate"
click "$main" "${START_BUTTON[@]}"
await_window "$PREVIEW_SIZE" "preview" preview
wait_until "the main window to hide" hidden "$MAIN_SIZE"
wait_until "one result document in TEMP" one_letter
letter=$(letter_path)
for value in "${VALUES[@]}"; do
    letter_says "$letter" "$value" || fail "the letter does not say '$value'"
done

echo "== zoom in twice, then drag the page"
for step in 1 2; do
    before=$(viewport_snapshot "$preview")
    click "$preview" "${ZOOM_IN_BUTTON[@]}"
    wait_until "zoom step $step to redraw the page" viewport_changed_from "$preview" "$before"
done
before=$(viewport_snapshot "$preview")
xdotool mousemove --window "$preview" "${CANVAS_POINT[@]}" mousedown 1
for offset in 20 40 60 80 100; do
    xdotool mousemove --window "$preview" $((CANVAS_POINT[0] - offset)) $((CANVAS_POINT[1] - offset))
done
xdotool mouseup 1
wait_until "the drag to move the page" viewport_changed_from "$preview" "$before"
no_other_window || fail "a message box appeared while zooming or dragging"

echo "== save"
saved="$work/saved/My letter.doc"
click "$preview" "${SAVE_BUTTON[@]}"
wait_until "the save dialog" xdotool search --onlyvisible --name '^Save File$'
dialog=$(xdotool search --onlyvisible --name '^Save File$' | head -n1)
activate "$dialog"
xdotool type --delay 5 "$saved"
xdotool key Return
wait_until "the saved letter" test -s "$saved"
dialog_closed() { ! xdotool search --onlyvisible --name '^Save File$' >/dev/null; }
wait_until "the save dialog to close" dialog_closed
wait_until "the box that says it is done" other_window
box=$(other_window)
activate "$box"
xdotool key Return
wait_until "the box to close" no_other_window
cmp -s "$saved" "$letter" || fail "the saved file is not the letter"

echo "== back, change the recipient, generate again"
click "$preview" "${BACK_BUTTON[@]}"
await_window "$MAIN_SIZE" "main window" main
wait_until "the preview to hide" hidden "$PREVIEW_SIZE"
wait_until "the letter to be deleted" no_work_file
type_into "$main" "${RECIPIENT_NAME_FIELD[@]}" "$NEW_RECIPIENT"
wait_until "the new recipient in the settings" settings_hold 7 "$NEW_RECIPIENT"
click "$main" "${START_BUTTON[@]}"
await_window "$PREVIEW_SIZE" "preview" preview
wait_until "the new result document" one_letter
letter_says "$(letter_path)" "$NEW_RECIPIENT" || fail "the second letter does not name the new recipient"

echo "== close the preview: the program ends and leaves nothing in TEMP"
close_window "$preview"
await_exit
no_work_file || fail "work files left in TEMP: $(work_files | tr '\n' ' ')"

echo "== second run: the typed values came back"
start_program
await_window "$MAIN_SIZE" "main window" main
settings_hold 7 "$NEW_RECIPIENT" || fail "the settings lost the new recipient"
click "$main" "${START_BUTTON[@]}"
await_window "$PREVIEW_SIZE" "preview" preview
wait_until "the result document of the second run" one_letter
letter=$(letter_path)
for index in "${!VALUES[@]}"; do
    expected=${VALUES[$index]}
    [ "${KEYS[$index]}" = 7 ] && expected=$NEW_RECIPIENT
    letter_says "$letter" "$expected" || fail "the restored fields did not give '$expected' to the letter"
done
click "$preview" "${BACK_BUTTON[@]}"
await_window "$MAIN_SIZE" "main window" main
close_window "$main"
await_exit
no_work_file || fail "work files left in TEMP: $(work_files | tr '\n' ' ')"

echo "== passed in $((SECONDS - started)) s"
