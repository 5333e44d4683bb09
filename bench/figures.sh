#!/bin/sh
# Prints Tessary's performance figures:
#   - time from process start to the first painted main window, and the
#     resident memory of the idle window with an empty queue and with a queue
#     of 1,000 jobs (bench_startup; offscreen, and under Xvfb when present);
#   - the batch run's own cost per job, one job at a time and four at once
#     (bench_run);
#   - real lame on eight 60 s WAV files, one job at a time against one per
#     core (bench_parallel; about a minute);
#   - reading a large folder into the file list (bench_filelist);
#   - the plan of outputs for 1,000 and 20,000 jobs and one title keystroke
#     with 1,000 jobs queued (bench_plan);
#   - the queue at 1,000, 5,000 and 20,000 jobs: adding, deleting, moving,
#     clearing, memory, the longest turn of the event loop (bench_queue).
#   - FLAC -> MP3 through the ffmpeg pipe against WAV -> MP3 (bench_sources);
#   - the check of a job's output against the job's wall time, for a 60 s
#     WAV encoded and decoded back (bench_verify);
#   - the queue file and the journal at 1,000 and 20,000 jobs: save, load, the
#     GUI thread's part of a journal save, a queue restored (bench_queuefile).
#
#   bench/figures.sh [build-folder]     (default: build-figures next to bench/)
#
# Environment: RUNS (start-ups per platform, default 7), JOBS (default 1000).
# Configures and builds the benchmarks in the build folder if needed.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-figures}
runs=${RUNS:-7}
jobs=${JOBS:-1000}
startup_target_ms=400
memory_target_kib=$((80 * 1024))

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target bench_startup bench_run bench_filelist bench_plan bench_parallel \
    bench_batch bench_queue bench_sources bench_verify bench_queuefile >/dev/null

startup="$build/bench/startup/bench_startup"
tmp=$(mktemp -d)
xvfb_pid=
cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP PIPE

# An X server of our own on the first free display; prints the display.
start_xvfb() {
    n=99
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    i=0
    while [ ! -S "/tmp/.X11-unix/X$n" ] && [ "$i" -lt 100 ]; do
        sleep 0.1
        i=$((i + 1))
    done
    display=":$n"
}

# One start-up per line: "<painted ms> <idle KiB> <queued KiB> <add ms>".
measure() { # <label> <command prefix...>
    label=$1
    shift
    : > "$tmp/$label"
    i=0
    while [ "$i" -lt "$runs" ]; do
        "$@" sh -c 'export TESSARY_T0_NS=$(date +%s%N); exec "$0" "$1"' "$startup" "$jobs" \
            > "$tmp/out" 2>/dev/null
        awk -F': *' '
            /^first painted window/ { p = $2 + 0 }
            /^idle RSS, empty queue/ { e = $2 + 0 }
            /^idle RSS, [0-9]+ jobs/ { q = $2 + 0 }
            /^adding/ { a = $2 + 0 }
            END { print p, e, q, a }' "$tmp/out" >> "$tmp/$label"
        i=$((i + 1))
    done
}

median() { # <file> <column>
    sort -n -k"$2" "$1" | awk -v c="$2" '{ v[NR] = $c } END { print v[int((NR + 1) / 2)] }'
}
minimum() {
    sort -n -k"$2" "$1" | awk -v c="$2" 'NR == 1 { print $c }'
}

report() { # <label> <title>
    f="$tmp/$1"
    painted=$(median "$f" 1)
    idle=$(median "$f" 2)
    queued=$(median "$f" 3)
    echo "== Start-up, $2 ($runs runs, medians)"
    printf '%-28s%s ms (best %s ms)\n' "first painted window:" "$painted" "$(minimum "$f" 1)"
    printf '%-28s%s MiB (%s KiB)\n' "idle RSS, empty queue:" "$((idle / 1024))" "$idle"
    printf '%-28s%s MiB (%s KiB)\n' "idle RSS, $jobs jobs:" "$((queued / 1024))" "$queued"
    printf '%-28s%s ms\n' "adding $jobs jobs:" "$(median "$f" 4)"
    awk -v p="$painted" -v q="$queued" -v pt="$startup_target_ms" -v mt="$memory_target_kib" 'BEGIN {
        printf "%-28s%s\n", "target start < " pt " ms:", (p < pt ? "met" : "NOT met")
        printf "%-28s%s\n", "target RSS < " mt / 1024 " MiB:", (q < mt ? "met" : "NOT met")
    }'
    echo
}

echo "Tessary figures, $(date '+%Y-%m-%d %H:%M'), $(nproc) CPUs, build $build"
echo
measure offscreen env QT_QPA_PLATFORM=offscreen
report offscreen "offscreen platform"
if command -v Xvfb >/dev/null 2>&1; then
    start_xvfb
    measure xvfb env DISPLAY="$display" QT_QPA_PLATFORM=xcb
    report xvfb "X11 (Xvfb, no window manager)"
fi

echo "== Batch run, one job at a time (bench_run)"
"$build/bench/run/bench_run" 500 5 1
echo
echo "== Batch run, four jobs at once (bench_run)"
"$build/bench/run/bench_run" 500 5 4
echo
echo "== Real lame, one job at a time and one per core (bench_parallel)"
if command -v lame >/dev/null 2>&1; then
    "$build/bench/parallel/bench_parallel"
else
    echo "lame is not installed"
fi
echo
echo "== Real lame, tessary --batch against parallel lame (bench_batch)"
if command -v lame >/dev/null 2>&1 && command -v parallel >/dev/null 2>&1; then
    "$build/bench/batch/bench_batch"
else
    echo "lame or GNU parallel is not installed"
fi
echo
echo "== File list (bench_filelist)"
QT_QPA_PLATFORM=offscreen "$build/bench/filelist/bench_filelist"
echo
echo "== Plan of outputs (bench_plan)"
QT_QPA_PLATFORM=offscreen "$build/bench/plan/bench_plan" 2>/dev/null
echo
echo "== Queue at scale (bench_queue)"
QT_QPA_PLATFORM=offscreen "$build/bench/queue/bench_queue" 2>/dev/null
echo
echo "== Queue file and journal (bench_queuefile)"
QT_QPA_PLATFORM=offscreen "$build/bench/queuefile/bench_queuefile" 2>/dev/null

echo "== FLAC against WAV (bench_sources)"
"$build/bench/sources/bench_sources"
echo
echo "== the output check's cost (bench_verify)"
"$build/bench/verify/bench_verify"
