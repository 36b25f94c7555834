#!/bin/sh
# Times one organize run of sortune over a generated corpus of tagged MP3 files against the
# floor (the bare system calls of the job) on an identical copy, and reports files/s, the
# ratio of the two times and the peak memory of each; then times the undo of each run.
#
# usage: bench/run_bench.sh [N] [BUILD_DIR] [REPEAT] [BASELINE_DIR]
#   N             files in the corpus (default 20000)
#   BUILD_DIR     build folder holding bin/sortune (default build)
#   REPEAT        runs of each, every one on a fresh copy; medians are reported (default 3)
#   BASELINE_DIR  another build folder (of an earlier version, say) whose program is timed
#                 too, in turn with the first on the same corpus, to tell what a change costs
#
# Needs python3, a C compiler and /usr/bin/time (Debian package "time"). The corpus generator
# and the floor come from ../shared/bench beside the repository (SORTUNE_BENCH_KIT overrides).
set -eu

count=${1:-20000}
build=${2:-build}
repeat=${3:-3}
repo=$(cd "$(dirname "$0")/.." && pwd)
kit=${SORTUNE_BENCH_KIT:-$repo/../shared/bench}
sortune=$(cd "$build" && pwd)/bin/sortune
baseline=${4:+$(cd "$4" && pwd)/bin/sortune}

for need in "$kit/make_corpus.py" "$kit/floor.c" "$sortune" ${baseline:+"$baseline"} /usr/bin/time; do
    [ -e "$need" ] || { echo "run_bench: $need is missing" >&2; exit 2; }
done

# Timed in the terminal: with a display, `sortune PATH` would open its window instead.
unset DISPLAY WAYLAND_DISPLAY

work=$(mktemp -d "${TMPDIR:-/tmp}/sortune-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

cc -O2 -o "$work/floor" "$kit/floor.c"
echo "generating $count files..." >&2
python3 "$kit/make_corpus.py" "$count" "$work/corpus" >/dev/null

# The programs' settings: sub-folders searched (the corpus is nested). Each program has folders
# of its own: a run registers the file managers' menus again whenever the program's path
# changed since the last run, and two programs sharing one folder would each time.
for config in config config-baseline; do
    mkdir -p "$work/$config/sortune/registry"
    cat > "$work/$config/sortune/registry/HKEY_CURRENT_USER.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Sortune\Set]
"FindPath"=dword:00000001
REG
    chmod 600 "$work/$config/sortune/registry/HKEY_CURRENT_USER.reg"
done

# One timed run on a fresh copy of the corpus; prints "wall-seconds kilobytes cpu-seconds".
timed() {
    name=$1
    shift
    rm -rf "$work/run"
    # The copy just written stays in the page cache: the run finds the cache warm. Writing it
    # back first keeps that work out of the timed run.
    cp -a "$work/corpus" "$work/run"
    sync
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/$name.log"
    awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }' "$work/time"
}

# The same on the tree as the last run left it (an undo takes that run back).
timed_here() {
    name=$1
    shift
    sync
    /usr/bin/time -f "%e %M %U %S" -o "$work/time" "$@" >/dev/null 2>"$work/$name.log"
    awk '{ printf "%s %s %.2f\n", $1, $2, $3 + $4 }' "$work/time"
}

# The size of the newest journal in a state folder, taken just after a run.
journal_size() {
    newest=$(ls "$1/sortune/runs/"*.journal 2>/dev/null | sort | tail -n 1 || true)
    [ -n "$newest" ] && wc -c < "$newest" || echo 0
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

: > "$work/floor.times"
: > "$work/sortune.times"
: > "$work/baseline.times"
: > "$work/sortune-undo.times"
: > "$work/baseline-undo.times"
i=0
while [ "$i" -lt "$repeat" ]; do
    timed floor "$work/floor" "$work/run" >> "$work/floor.times"
    timed sortune env XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
        XDG_STATE_HOME="$work/state" LC_ALL=zh_CN.UTF-8 "$sortune" "$work/run/." \
        >> "$work/sortune.times"
    journal_bytes=$(journal_size "$work/state")
    timed_here sortune-undo env XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
        XDG_STATE_HOME="$work/state" LC_ALL=zh_CN.UTF-8 "$sortune" --undo \
        >> "$work/sortune-undo.times"
    if [ -n "$baseline" ]; then
        timed baseline env XDG_CONFIG_HOME="$work/config-baseline" \
            XDG_DATA_HOME="$work/data-baseline" XDG_STATE_HOME="$work/state-baseline" \
            LC_ALL=zh_CN.UTF-8 "$baseline" "$work/run/." \
            >> "$work/baseline.times"
        timed_here baseline-undo env XDG_CONFIG_HOME="$work/config-baseline" \
            XDG_DATA_HOME="$work/data-baseline" XDG_STATE_HOME="$work/state-baseline" \
            LC_ALL=zh_CN.UTF-8 "$baseline" --undo \
            >> "$work/baseline-undo.times"
    fi
    i=$((i + 1))
done

# How many files the last run renamed (its undo gave them back their names): the rest hold
# titles given twice in a folder.
renamed=$(grep -o '重命名 [0-9]*' "$work/sortune.log" | tail -n 1 | awk '{ print $2 }')
floor_renamed=$(sed -n 's/.*renamed=//p' "$work/floor.log")
grep -q "整理完毕" "$work/sortune.log" || { echo "run_bench: sortune did not finish" >&2; exit 1; }

floor_s=$(awk '{ print $1 }' "$work/floor.times" | median)
sortune_s=$(awk '{ print $1 }' "$work/sortune.times" | median)
floor_kb=$(awk '{ print $2 }' "$work/floor.times" | median)
sortune_kb=$(awk '{ print $2 }' "$work/sortune.times" | median)
floor_cpu=$(awk '{ print $3 }' "$work/floor.times" | median)
sortune_cpu=$(awk '{ print $3 }' "$work/sortune.times" | median)
undo_s=$(awk '{ print $1 }' "$work/sortune-undo.times" | median)
undo_cpu=$(awk '{ print $3 }' "$work/sortune-undo.times" | median)
grep -q "0 skipped\|跳过 0" "$work/sortune-undo.log" || { echo "run_bench: the undo skipped" >&2; exit 1; }

awk -v n="$count" -v f="$floor_s" -v s="$sortune_s" -v fk="$floor_kb" -v sk="$sortune_kb" \
    -v fc="$floor_cpu" -v sc="$sortune_cpu" -v r="$renamed" -v fn="$floor_renamed" \
    -v reps="$repeat" -v jb="$journal_bytes" -v u="$undo_s" -v uc="$undo_cpu" 'BEGIN {
    fr = (f > 0) ? n / f : 0; sr = (s > 0) ? n / s : 0
    printf "files:   %d (medians of %d runs, warm cache)\n", n, reps
    printf "floor:   %.2f s wall  %.2f s cpu  %8.0f files/s  peak %.1f MB  (%d files renamed)\n",
           f, fc, fr, fk / 1024, fn
    printf "sortune: %.2f s wall  %.2f s cpu  %8.0f files/s  peak %.1f MB  (%d files renamed)\n",
           s, sc, sr, sk / 1024, r
    printf "ratio:   %.2f x the wall time of the floor, %.2f x its cpu time\n",
           (f > 0 ? s / f : 0), (fc > 0 ? sc / fc : 0)
    printf "journal: %.1f MB for the last run (%.0f bytes a file)\n", jb / 1048576, jb / n
    printf "undo:    %.2f s wall  %.2f s cpu (the run taken back)\n", u, uc
    printf "target:  at most 2.00 x the wall time, peak under 50 MB\n"
}'
if [ -n "$baseline" ]; then
    base_s=$(awk '{ print $1 }' "$work/baseline.times" | median)
    base_cpu=$(awk '{ print $3 }' "$work/baseline.times" | median)
    base_undo=$(awk '{ print $1 }' "$work/baseline-undo.times" | median)
    # The fastest and slowest runs show how much the machine's load moved the numbers.
    spread() { awk '{ print $1 }' "$1" | sort -n | sed -n '1p;$p' | paste -sd-; }
    awk -v s="$sortune_s" -v sc="$sortune_cpu" -v b="$base_s" -v bc="$base_cpu" \
        -v ss="$(spread "$work/sortune.times")" -v bs="$(spread "$work/baseline.times")" \
        -v u="$undo_s" -v bu="$base_undo" 'BEGIN {
        printf "baseline: %.2f s wall  %.2f s cpu\n", b, bc
        printf "sortune/baseline: %.3f x the wall time, %.3f x the cpu time\n",
               (b > 0 ? s / b : 0), (bc > 0 ? sc / bc : 0)
        printf "spread:  sortune %s s wall, baseline %s s wall\n", ss, bs
        printf "undo:    sortune %.2f s wall, baseline %.2f s wall (%.3f x)\n", u, bu,
               (bu > 0 ? u / bu : 0)
    }'
fi
