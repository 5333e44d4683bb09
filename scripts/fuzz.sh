#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang in a build folder of their
# own and runs each for the given number of seconds (default 60) on its seed
# corpus. New inputs collect in <build>/corpus/<target>; a finding (crash,
# sanitizer report or failed check) is saved under <build>/findings/<target>/
# and makes the script fail once all targets have run. Replay one with
#   <build>/fuzz/fuzz_<target> <file>
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-60}
build=${TESSARY_FUZZ_BUILD_DIR:-$here/build-fuzz}
targets=(settings naming cmdline year progress mp3frames pipeprogress plan queuefile readerreply)

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DTESSARY_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzzers --parallel "$(nproc)"

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:print_stacktrace=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1

failed=()
summary=()
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t
  findings=$build/findings/$t/
  log=$build/fuzz-$t.log
  mkdir -p "$corpus" "$findings"
  echo "== fuzz_$t for ${seconds} s"
  # The first folder gets the new inputs; the committed seeds are only read.
  if "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -max_len=8192 \
      -print_final_stats=1 -artifact_prefix="$findings" \
      "$corpus" "$here/fuzz/$t/seeds" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(grep -o 'exec/s: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    summary+=("fuzz_$t: ${runs:-?} runs, ${rate:-?} exec/s, corpus $(ls "$corpus" | wc -l) files")
  else
    tail -n 60 "$log"
    failed+=("$t")
    summary+=("fuzz_$t: FINDING, see $log and $findings")
  fi
done

printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi
