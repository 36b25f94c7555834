#!/bin/sh
# Builds sortune, writes a small demo collection into a temporary folder, shows the preview
# of a run, organizes the collection, takes the run back and lists the names at each step.
#
# usage: tools/demo.sh [BUILD_DIR]     (default: build)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build}
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$repo" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target sortune sortune_make_demo >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/sortune-demo.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
music="$work/music"
"$build/tools/sortune_make_demo" "$music"

list() {
    (cd "$music" && find . -mindepth 1 \( -type l -printf '  %P -> %l\n' \) -o -printf '  %P\n' |
        LC_ALL=C sort)
}

# The program's own settings, menu and journal folders, so that the demo leaves the user's
# alone; the program works only in a simplified Chinese locale.
run() {
    XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
        LC_ALL=zh_CN.UTF-8 "$build/bin/sortune" "$@"
}

echo "Before:"
list
echo
echo "Preview (sortune --dry-run $music/.):"
run --dry-run "$music/." 2>/dev/null | sed "s|$music/||g; s/^/  /"
echo
echo "Organizing (sortune $music/.):"
run "$music/." 2>&1 | sed 's/^/  /'
echo
echo "After:"
list
echo
echo "Taking the run back (sortune --undo):"
run --undo 2>&1 | sed "s|$music/||g; s/^/  /"
echo
echo "After the undo:"
list
