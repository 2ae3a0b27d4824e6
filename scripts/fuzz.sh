#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (build-fuzz/) and runs each for SECONDS (default 20), starting from the seeds in fuzz/corpus/.
# A failed property or a crash stops that target, keeps the input under build-fuzz/findings/
# and makes the script fail once every target has run.
#   scripts/fuzz.sh [SECONDS]
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

seconds=${1:-20}
dir=${PICTAVO_FUZZ_BUILD:-$PICTAVO_SOURCE/build-fuzz}
options=(-DPICTAVO_FUZZ=ON -DBUILD_TESTING=OFF)
[ -n "${CI:-}" ] && options+=(-DPICTAVO_WERROR=ON)

# The sanitizer and fuzzer run-times are only a recommendation of clang's, so they are named.
pictavo_install_missing clang-14 libclang-rt-14-dev libfuzzer-14-dev
CC=clang-14 CXX=clang++-14 cmake -S "$PICTAVO_SOURCE" -B "$dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}" >/dev/null
cmake --build "$dir" --target pictavo_fuzzers --parallel "$(nproc)"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for target in "$dir"/fuzz/fuzz_*; do
    [ -f "$target" ] && [ -x "$target" ] || continue
    name=${target##*/fuzz_}
    corpus=$dir/corpus/$name
    findings=$dir/findings/$name
    log=$dir/logs/$name.log
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    # New inputs go to the corpus in the build folder; the committed seeds are only read.
    if "$target" "$corpus" "$PICTAVO_SOURCE/fuzz/corpus/$name" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        failed+=("$name")
        grep -E 'PROPERTY FAILED|ERROR:|SUMMARY:' "$log" >&2 || true
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    printf '%-10s %-6s %s runs, %s per second (log %s)\n' "$name" "$result" "${runs:-?}" \
        "${rate:-?}" "$log"
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "Findings in: ${failed[*]} (inputs under $dir/findings/)" >&2
    exit 1
fi
