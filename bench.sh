#!/usr/bin/env bash
# Builds (as ./test.sh does) and runs the benchmarks; each prints its own figures.
#   ./bench.sh              every benchmark
#   ./bench.sh vrend        only those whose name holds "vrend"
source "$(dirname "$0")/scripts/common.sh"
filter="${1:-}"
ensure_packages
build_tree build
cd "$VARPEN_ROOT/build"
status=0
for b in bin/bench_*; do
  [ -x "$b" ] || continue
  case "$b" in *"$filter"*) ;; *) continue ;; esac
  say "bench: $b"
  QT_QPA_PLATFORM=offscreen "$b" || { status=1; printf 'error: %s failed\n' "$b" >&2; }
done
exit $status
