#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   ./test.sh          plain build in build/
#   ./test.sh asan     AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
#   ./test.sh tsan     ThreadSanitizer in build-tsan/
# Extra arguments after the mode go to ctest (for example: ./test.sh plain -L engine).
# VARPEN_BUILD_TESTED_ONLY=1 builds only what the chosen tests need, not the whole tree.
source "$(dirname "$0")/scripts/common.sh"
mode="${1:-plain}"
[ $# -gt 0 ] && shift
case "$mode" in
  plain) dir=build; san="" ;;
  asan)  dir=build-asan; san=asan
         export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
         export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" ;;
  tsan)  dir=build-tsan; san=tsan
         export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:die_after_fork=0:suppressions=$VARPEN_ROOT/scripts/tsan.supp"
         # glib's slice allocator hands blocks between threads under its own futex locks, which
         # the sanitizer cannot see; plain malloc it sees. (glib is not suppressed: its wake-ups
         # are how the sanitizer sees Qt's queued signals cross threads.)
         export G_SLICE=always-malloc ;;
  *) die "unknown mode '$mode' (plain, asan or tsan)" ;;
esac
ensure_packages
if [ "${VARPEN_BUILD_TESTED_ONLY:-0}" = 1 ]; then
  build_for_tests "$dir" "$san" "$@"
else
  build_tree "$dir" "$san"
fi
cd "$VARPEN_ROOT/$dir"
jobs=$(nproc 2>/dev/null || echo 2)
say "test: ctest in $dir"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" "$@" || die "tests failed"
say "all tests passed"
