#!/bin/sh
# Times the tag repair against a plain run: on a corpus whose tags fit in place and on one
# whose files must all be written anew (bench/make_retag_corpus.py), each program on a fresh
# copy, the cache warm; then the undo of the repair.
#
# usage: bench/retag_bench.sh [N] [BUILD_DIR] [REPEAT]
#   N          files in each corpus (default 20000)
#   BUILD_DIR  build folder holding bin/sortune (default build)
#   REPEAT     runs of each; medians are reported (default 3)
#
# Needs python3 and /usr/bin/time. The rewrite corpus takes about 360 KB a file.
set -eu

count=${1:-20000}
build=${2:-build}
repeat=${3:-3}
repo=$(cd "$(dirname "$0")/.." && pwd)
sortune=$(cd "$build" && pwd)/bin/sortune
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d "${TMPDIR:-/tmp}/sortune-retag.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

# Wall seconds and peak kilobytes of one program run on a fresh copy of corpus $1.
timed() {
    corpus=$1
    shift
    rm -rf "$work/run" "$work/state"
    cp -a "$work/$corpus" "$work/run"
    sync
    /usr/bin/time -f "%e %M" -o "$work/time" env XDG_CONFIG_HOME="$work/config" \
        XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" LC_ALL=zh_CN.UTF-8 \
        "$sortune" -q "$@" "$work/run/." >/dev/null 2>"$work/log"
    cat "$work/time"
}

undo() {
    /usr/bin/time -f "%e %M" -o "$work/time" env XDG_CONFIG_HOME="$work/config" \
        XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" LC_ALL=zh_CN.UTF-8 \
        "$sortune" -q --undo >/dev/null 2>"$work/undo.log"
    cat "$work/time"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

mkdir -p "$work/config/sortune/registry"
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Sortune\\Set]\n"FindPath"=dword:00000001\n' \
    > "$work/config/sortune/registry/HKEY_CURRENT_USER.reg"
chmod 600 "$work/config/sortune/registry/HKEY_CURRENT_USER.reg"

# A first run registers the file managers' menus; it is not the one timed.
mkdir -p "$work/empty"
env XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
    LC_ALL=zh_CN.UTF-8 "$sortune" -q "$work/empty" 2>/dev/null

for kind in inplace rewrite; do
    echo "generating $count files ($kind)..." >&2
    python3 "$repo/bench/make_retag_corpus.py" "$count" "$work/$kind" "$kind"
    : > "$work/plain.times"
    : > "$work/retag.times"
    : > "$work/undo.times"
    i=0
    while [ "$i" -lt "$repeat" ]; do
        timed "$kind" >> "$work/plain.times"
        timed "$kind" --fix-tags >> "$work/retag.times"
        repaired=$(grep -o '修复标签 [0-9]*' "$work/log" | awk '{ print $2 }')
        undo >> "$work/undo.times"
        grep -q "跳过 0" "$work/undo.log" || { echo "retag_bench: the undo skipped" >&2; exit 1; }
        i=$((i + 1))
    done
    plain=$(awk '{ print $1 }' "$work/plain.times" | median)
    retag=$(awk '{ print $1 }' "$work/retag.times" | median)
    retag_kb=$(awk '{ print $2 }' "$work/retag.times" | median)
    undo_s=$(awk '{ print $1 }' "$work/undo.times" | median)
    awk -v k="$kind" -v n="$count" -v p="$plain" -v r="$retag" -v kb="$retag_kb" \
        -v u="$undo_s" -v rep="$repaired" 'BEGIN {
        printf "%-8s %d files: plain run %.2f s, --fix-tags %.2f s (%.2f x, %s repaired, peak %.1f MB), undo %.2f s\n",
               k, n, p, r, (p > 0 ? r / p : 0), rep, kb / 1024, u
    }'
done
echo "target: in place at most 2.00 x the plain run"
