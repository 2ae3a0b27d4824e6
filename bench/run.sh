#!/usr/bin/env bash
# Times pictavo-index side by side with a one-pass readdir floor, `tree -H` and `find | sort -f`
# on generated directories, and prints the ratios and pictavo-index's peak memory.
#
#   bench/run.sh [--data DIR] [--runs N] [COUNT...]
#
# COUNT: entries per directory (default 10000 100000 1000000). The directories are generated
# under DIR (default bench/data, git-ignored) once and reused; results go to bench/results.
# Times are medians of N runs (default 15, 5 at a million entries) after one warm-up run.
# Targets at 100,000 and 1,000,000 entries: pictavo-index <= 6x the floor and <= 0.3x tree -H,
# peak memory at 1,000,000 entries < 100 MB.
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
    -h | --help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
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
    dir="$data/$count"
    if [ ! -f "$data/$count.done" ]; then
        echo "Generating $count entries in $dir ..." >&2
        rm -rf "$dir"
        "$generate" "$dir" "$count" >&2
        touch "$data/$count.done"
    fi
    n=$runs
    [ -n "$n" ] || { [ "$count" -ge 1000000 ] && n=5 || n=15; }

    # Peak memory first; this run also leaves the page in place, so every timed run replaces
    # an existing page, as repeated use does.
    rss_kb=$(/usr/bin/time -f '%M' "$index" --output pictavo-bench.html "$dir" 2>&1 >/dev/null | tail -n 1)

    json="$results/$count.json"
    hyperfine --style basic --warmup 1 --runs "$n" --export-json "$json" \
        -n pictavo-index "'$index' --output pictavo-bench.html '$dir'" \
        -n floor "'$floor' '$dir'" \
        -n 'tree -H' "cd '$dir' && tree -H . " \
        -n 'find | sort -f' "find '$dir' -maxdepth 1 \\( -iname '*.jpeg' -o -iname '*.jpg' -o -iname '*.gif' \\) | sort -f" \
        >&2

    summary+=("$(python3 - "$json" "$count" "$rss_kb" <<'PY'
import json, sys
path, count, rss_kb = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
# Medians: the machine may be shared, and a median shrugs off the odd disturbed run.
median = {r["command"]: r["median"] for r in json.load(open(path))["results"]}
p, f, t, s = (median[name] for name in ("pictavo-index", "floor", "tree -H", "find | sort -f"))
ok = lambda good: "ok" if good else "MISSED"
line = (f"{count:>9,} entries  pictavo-index {p*1000:7.1f} ms  floor {f*1000:6.1f} ms  "
        f"tree -H {t*1000:7.1f} ms  find|sort {s*1000:7.1f} ms  "
        f"pictavo/floor {p/f:5.2f}x  pictavo/tree {p/t:5.3f}x  peak RSS {rss_kb/1024:5.1f} MiB")
if count >= 100000:
    line += f"  [floor {ok(p/f <= 6)}, tree {ok(p/t <= 0.3)}"
    line += f", memory {ok(rss_kb/1024 < 100)}]" if count >= 1000000 else "]"
print(line)
PY
)")
done

echo
printf '%s\n' "${summary[@]}" | tee "$results/summary.txt"
