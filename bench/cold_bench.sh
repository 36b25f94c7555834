#!/bin/sh
# Times an organize run on a cold cache, as the first run over a collection meets it: the
# files' data on disk, not in memory. Against it, on copies of the same corpus: the
# parallel-read limit (bench/readlimit.cpp: the walk and the bytes the run reads, nothing
# else) with 1, 4 and 16 threads, and the run with reading ahead turned off. Then the same
# programs, and the floor of run_bench.sh, on a warm cache.
#
# usage: bench/cold_bench.sh [N] [BUILD_DIR] [REPEAT] [FORMAT]
#   N          files in the corpus (default 20000)
#   BUILD_DIR  build folder holding bin/sortune and bin/readlimit (default build)
#   REPEAT     runs of each, every one on a fresh copy; medians are reported (default 3)
#   FORMAT     mp3 (default), or flac or m4a: a corpus of bench/make_formats_corpus.py, run
#              with the all-formats option (and no floor, which reads MP3 tags)
#
# Dropping the page cache needs root (/proc/sys/vm/drop_caches); without it the benchmark
# says so and does nothing. Needs python3 and a C compiler; the corpus generator and the floor
# come from ../shared/bench beside the repository (SORTUNE_BENCH_KIT overrides).
set -eu

count=${1:-20000}
build=${2:-build}
repeat=${3:-3}
format=${4:-mp3}
repo=$(cd "$(dirname "$0")/.." && pwd)
kit=${SORTUNE_BENCH_KIT:-$repo/../shared/bench}
bin=$(cd "$build" && pwd)/bin

if [ "$(id -u)" -ne 0 ] || [ ! -w /proc/sys/vm/drop_caches ]; then
    echo "cold_bench: dropping the page cache needs root; nothing measured" >&2
    exit 0
fi
for need in "$kit/make_corpus.py" "$kit/floor.c" "$bin/sortune" "$bin/readlimit"; do
    [ -e "$need" ] || { echo "cold_bench: $need is missing" >&2; exit 2; }
done

# Timed in the terminal: with a display, `sortune PATH` would open its window instead.
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d "${TMPDIR:-/tmp}/sortune-cold.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

cc -O2 -o "$work/floor" "$kit/floor.c"
echo "generating $count files..." >&2
if [ "$format" = mp3 ]; then
    python3 "$kit/make_corpus.py" "$count" "$work/corpus" >/dev/null
else
    python3 "$repo/bench/make_formats_corpus.py" "$count" "$work/corpus" --format "$format" >/dev/null
fi

mkdir -p "$work/config/sortune/registry"
cat > "$work/config/sortune/registry/HKEY_CURRENT_USER.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Sortune\Set]
"FindPath"=dword:00000001
"AllFormats"=dword:00000001
REG
chmod 600 "$work/config/sortune/registry/HKEY_CURRENT_USER.reg"

# The program with its own settings, menus and journals, so that the user's are left alone.
sortune() {
    env XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_STATE_HOME="$work/state" \
        LC_ALL=zh_CN.UTF-8 "$@" "$bin/sortune" "$work/run/."
}

# One program, by name, over the copy in $work/run.
program() {
    case $1 in
        limit1) "$bin/readlimit" "$work/run" 1 ;;
        limit4) "$bin/readlimit" "$work/run" 4 ;;
        limit16) "$bin/readlimit" "$work/run" 16 ;;
        floor) "$work/floor" "$work/run" ;;
        ahead) sortune ;;
        inturn) sortune SORTUNE_READ_AHEAD=0 ;;
    esac
}

# One timed run on a fresh copy; "cold" drops the page cache (data, directories and inodes)
# first. Appends the wall seconds, start-up included, to $work/<cache>.<name>.
timed() {
    cache=$1
    name=$2
    rm -rf "$work/run"
    cp -a "$work/corpus" "$work/run"
    sync
    if [ "$cache" = cold ]; then
        echo 3 > /proc/sys/vm/drop_caches
    fi
    start=$(date +%s.%N)
    program "$name" > "$work/$cache.$name.out" 2> "$work/$cache.$name.log"
    end=$(date +%s.%N)
    echo "$start $end" | awk '{ printf "%.2f\n", $2 - $1 }' >> "$work/$cache.$name"
}

cold="limit1 limit4 limit16 inturn ahead"
warm="floor limit16 inturn ahead"
[ "$format" = mp3 ] || warm="limit16 inturn ahead"
i=0
while [ "$i" -lt "$repeat" ]; do
    for name in $cold; do timed cold "$name"; done
    for name in $warm; do timed warm "$name"; done
    i=$((i + 1))
done
grep -q "整理完毕" "$work/cold.ahead.log" || { echo "cold_bench: sortune did not finish" >&2; exit 1; }

# "median min max" of a file of numbers.
stats() {
    sort -n "$1" | awk '{ v[NR] = $1 } END { printf "%.2f %.2f %.2f", v[int((NR + 1) / 2)], v[1], v[NR] }'
}

row() {
    set -- "$1" "$2" $(stats "$work/$2")
    printf "  %-36s %5.2f s  (%.2f-%.2f)\n" "$1" "$3" "$4" "$5"
}

median() {
    stats "$work/$1" | cut -d' ' -f1
}

readers=$(nproc | awk '{ n = 8 * $1; print (n < 8 ? 8 : (n > 16 ? 16 : n)) }')
walk=$(sed -n 's/.* walk \([0-9.]*\) s.*/\1/p' "$work/cold.limit16.out")
echo "files: $count, medians of $repeat runs (min-max), each on a fresh copy"
echo "cold cache (page cache dropped before each run):"
row "read limit, 1 thread" cold.limit1
row "read limit, 4 threads" cold.limit4
row "read limit, 16 threads" cold.limit16
row "sortune, read-ahead off" cold.inturn
row "sortune, read-ahead on ($readers readers)" cold.ahead
awk -v a="$(median cold.ahead)" -v l="$(median cold.limit16)" -v o="$(median cold.inturn)" \
    -v w="$walk" 'BEGIN {
    printf "  read-ahead on: %.2f x the limit (off: %.2f x); the walk is %.2f s of the limit\n",
           a / l, o / l, w
}'
echo "warm cache:"
[ "$format" = mp3 ] || {
    row "read limit, 16 threads" warm.limit16
    row "sortune, read-ahead on" warm.ahead
    awk -v a="$(median warm.ahead)" -v l="$(median warm.limit16)" 'BEGIN {
        printf "  read-ahead on: %.2f x the read limit\n", a / l
    }'
    exit 0
}
row "floor" warm.floor
row "read limit, 16 threads" warm.limit16
row "sortune, read-ahead off" warm.inturn
row "sortune, read-ahead on" warm.ahead
awk -v a="$(median warm.ahead)" -v f="$(median warm.floor)" -v o="$(median warm.inturn)" 'BEGIN {
    printf "  read-ahead on: %.2f x the floor (off: %.2f x)\n", a / f, o / f
}'
