#!/usr/bin/env bash
# Installs the built program into a temporary prefix and checks what a Linux desktop needs: the
# program and its hand pointer in their own folder, a relative link in bin/, the menu entry and the
# icon; then starts the installed program through the link and watches it open its hand pointer.
#   install.sh BUILD_DIR SOURCE_DIR
set -Eeuo pipefail

build=${1:?usage: install.sh BUILD_DIR SOURCE_DIR}
source=${2:?usage: install.sh BUILD_DIR SOURCE_DIR}

# A program this test needs that is not installed skips the test (CTest's SKIP_RETURN_CODE).
for tool in inotifywait; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit "${QUILL_SKIP_STATUS:-77}"; }
done
# How long the started program may take to open its hand pointer, in tenths of a second.
readonly WAIT_TENTHS=300

work=$(mktemp -d)
prefix=$work/prefix
watcher_pid="" app_pid=""
cleanup() {
    for pid in $app_pid $watcher_pid; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

echo "== cmake --install into a temporary prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "the installation failed"; }

program_dir=$prefix/libexec/quillfern-epistle
program=$program_dir/quillfern-epistle
link=$prefix/bin/quillfern-epistle
[ -x "$program" ] || fail "no executable program at $program"
cmp -s "$program_dir/HAND-M.CUR" "$build/bin/HAND-M.CUR" || fail "the hand pointer is not beside the program"
[ -L "$link" ] || fail "$link is no symbolic link"
case "$(readlink "$link")" in /*) fail "the link in bin/ is absolute, so the prefix cannot move" ;; esac
[ "$(readlink -f "$link")" = "$(readlink -f "$program")" ] || fail "the link in bin/ does not lead to the program"

entry=$prefix/share/applications/quillfern-epistle.desktop
[ -f "$entry" ] || fail "no menu entry at $entry"
for line in "Type=Application" "Exec=quillfern-epistle" "Icon=quillfern-epistle"; do
    grep -qxF "$line" "$entry" || fail "the menu entry lacks '$line'"
done
cmp -s "$prefix/share/icons/hicolor/128x128/apps/quillfern-epistle.png" "$source/resources/quillfern.png" \
    || fail "the icon is not installed under the name the menu entry gives"

echo "== the installed program, started through the link, opens its hand pointer"
mkdir -p "$work/home" "$work/config" "$work/temp"
chmod 700 "$work/temp"
inotifywait -m -e open "$program_dir" >"$work/opened.log" 2>"$work/watcher.log" &
watcher_pid=$!
for ((tenth = 0; tenth < WAIT_TENTHS; ++tenth)); do
    grep -q "Watches established" "$work/watcher.log" && break
    sleep 0.1
done
# The installed program is not on PATH: the test shows that it finds its files from where it lies.
env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" TEMP="$work/temp" \
    QT_QPA_PLATFORM=offscreen "$link" >"$work/program.log" 2>&1 &
app_pid=$!
for ((tenth = 0; tenth < WAIT_TENTHS; ++tenth)); do
    grep -q "OPEN HAND-M.CUR" "$work/opened.log" && break
    kill -0 "$app_pid" 2>/dev/null || { cat "$work/program.log"; fail "the installed program ended at start"; }
    sleep 0.1
done
grep -q "OPEN HAND-M.CUR" "$work/opened.log" || fail "the installed program never opened its hand pointer"
echo "== passed"
