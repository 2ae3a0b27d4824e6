#!/usr/bin/env bash
# Times pictavo-index side by side with a one-pass readdir floor, `tree -H` and `find | sort -f`
# on generated directories, and prints the ratios and pictavo-index's peak memory.
#
#   bench/run.sh [--data DIR] [--runs N] [COUNT...]
#
# COUNT: entries per directory (default 10000 100000 1000000). Each count is measured on two
# directories: the generator's mixed names, and "twins", names in threes that differ only in
# case with long shared starts. They are generated under DIR (default bench/data, git-ignored)
# once and reused; results go to bench/results. Times are medians of N runs (default 15, 6 at
# a million entries), taken in three rounds that each start with a warm-up run.
# Targets at 100,000 and 1,000,000 entries: pictavo-index <= 3x the floor and <= 0.2x tree -H,
# peak memory at 1,000,000 entries <= 80 MB. pictavo-index is also timed writing a page where
# there was none: the difference is what replacing costs (the new page reaches the disk before
# it replaces the old one; ext4 flushes it on such a rename anyway, other file systems on the
# sync).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"

data="$PICTAVO_SOURCE/bench/data"
results="$PICTAVO_SOURCE/bench/results"
runs=""
counts=()
while [ $# -gt 0 ]; do
    case "$1" in
    --data) data=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    -h | --help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) counts+=("$1"); shift ;;
    esac
done
[ ${#counts[@]} -gt 0 ] || counts=(10000 100000 1000000)

pictavo_install_missing hyperfine tree time python3

build="$PICTAVO_SOURCE/build-bench"
cmake -S "$PICTAVO_SOURCE" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target pictavo-index pictavo-bench-floor pictavo-bench-generate >/dev/null
index="$build/cli/pictavo-index"
floor="$build/bench/pictavo-bench-floor"
generate="$build/bench/pictavo-bench-generate"

mkdir -p "$data" "$results"
data=$(cd "$data" && pwd)
summary=()
for count in "${counts[@]}"; do
for mode in mixed twins; do
    name=$count
    [ "$mode" = mixed ] || name="$mode-$count"
    dir="$data/$name"
    if [ ! -f "$data/$name.done" ]; then
        echo "Generating $count entries ($mode) in $dir ..." >&2
        rm -rf "$dir"
        if [ "$mode" = mixed ]; then "$generate" "$dir" "$count" >&2; else "$generate" "--$mode" "$dir" "$count" >&2; fi
        touch "$data/$name.done"
    fi
    n=$runs
    [ -n "$n" ] || { [ "$count" -ge 1000000 ] && n=6 || n=15; }

    # Peak memory first; this run also leaves the page in place, so every timed run replaces
    # an existing page, as repeated use does.
    rss_kb=$(/usr/bin/time -f '%M' "$index" --output pictavo-bench.html "$dir" 2>&1 >/dev/null | tail -n 1)

    # Hyperfine times one command's runs in a row; on a shared machine the load then differs
    # between the commands compared. So the runs are split into rounds that take turns.
    rounds=$(( n >= 3 ? 3 : 1 ))
    jsons=()
    for round in $(seq 1 "$rounds"); do
        json="$results/$name.$round.json"
        jsons+=("$json")
        hyperfine --style basic --warmup 1 --runs $(( (n + rounds - 1) / rounds )) --export-json "$json" \
            --prepare : --prepare "rm -f '$dir/pictavo-bench-new.html'" --prepare : --prepare : --prepare : \
            -n pictavo-index "'$index' --output pictavo-bench.html '$dir'" \
            -n 'pictavo-index, new page' "'$index' --output pictavo-bench-new.html '$dir'" \
            -n floor "'$floor' '$dir'" \
            -n 'tree -H' "cd '$dir' && tree -H . " \
            -n 'find | sort -f' "find '$dir' -maxdepth 1 \\( -iname '*.jpeg' -o -iname '*.jpg' -o -iname '*.gif' \\) | sort -f" \
            >&2
    done

    summary+=("$(python3 - "$count" "$mode" "$rss_kb" "${jsons[@]}" <<'PY'
import json, statistics, sys
count, mode, rss_kb, paths = int(sys.argv[1]), sys.argv[2], int(sys.argv[3]), sys.argv[4:]
# Medians of all rounds' runs: the machine may be shared, and a median shrugs off the odd
# disturbed run.
times = {}
for path in paths:
    for r in json.load(open(path))["results"]:
        times.setdefault(r["command"], []).extend(r["times"])
median = {command: statistics.median(values) for command, values in times.items()}
p, n, f, t, s = (median[name] for name in
                 ("pictavo-index", "pictavo-index, new page", "floor", "tree -H", "find | sort -f"))
ok = lambda good: "ok" if good else "MISSED"
rss_mb = rss_kb * 1024 / 1e6
line = (f"{count:>9,} {mode:<5}  pictavo-index {p*1000:7.1f} ms  floor {f*1000:6.1f} ms  "
        f"tree -H {t*1000:7.1f} ms  find|sort {s*1000:7.1f} ms  "
        f"pictavo/floor {p/f:5.2f}x  pictavo/tree {p/t:5.3f}x  peak RSS {rss_mb:5.1f} MB  "
        f"new page {n*1000:7.1f} ms (replacing {(p-n)*1000:+6.1f} ms)")
if count >= 100000:
    line += f"  [floor {ok(p/f <= 3)}, tree {ok(p/t <= 0.2)}"
    line += f", memory {ok(rss_mb <= 80)}]" if count >= 1000000 else "]"
print(line)
PY
)")
done
done

echo
printf '%s\n' "${summary[@]}" | tee "$results/summary.txt"
