#!/usr/bin/env bash
# Times filling the directory list (100,000 subdirectories) and the drive list (26 drives, then
# with one on a FUSE mount that never answers) in a Release build, beside a one-pass readdir
# floor; targets 250, 20 and 300 ms. Then counts, with strace, what one double-click in the
# list reads: at most one read of the mount table and one of the device folder.
#
#   bench/selectors.sh [COUNT [RUNS]]
# The hung mount needs root (a private mount namespace and /dev/fuse); otherwise it says why
# it was not measured.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/common.sh"
pictavo_install_missing strace

build="${PICTAVO_BENCH_BUILD:-$PICTAVO_SOURCE/build-bench}"
cmake -S "$PICTAVO_SOURCE" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target pictavo-bench-selectors >/dev/null
bench="$build/bench/pictavo-bench-selectors"
status=0
"$bench" "$@" || status=1

trace=$(mktemp)
trap 'rm -f "$trace"' EXIT
strace -f -qq -e trace=openat,open,getdents64,write,newfstatat,statx,stat,lstat,readlink,readlinkat \
    -o "$trace" "$bench" --one-click 100 >/dev/null 2>&1
click=$(sed -n '/one-click-begins/,/one-click-ends/p' "$trace")
mounts=$(grep -c 'mountinfo' <<<"$click" || true)
folder=$(grep -E 'open.*dosdevices' <<<"$click" | grep -c O_DIRECTORY || true)
calls=$(grep -cvE 'one-click-(begins|ends)|resumed|exited' <<<"$click" || true)
verdict=ok
[ "$mounts" -le 1 ] && [ "$folder" -le 1 ] || { verdict=MISSED; status=1; }
printf 'one double-click: %d read(s) of the mount table, %d of the device folder, %d file-system calls (target <= 1 and 1)  [%s]\n' \
    "$mounts" "$folder" "$calls" "$verdict"
exit $status
