#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   ./test.sh          plain build in build/
#   ./test.sh asan     AddressSanitizer + UndefinedBehaviorSanitizer in build-asan/
#   ./test.sh tsan     ThreadSanitizer in build-tsan/
#   ./test.sh fuzz     clang in build-fuzz/: every fuzz target under libFuzzer for
#                      VARPEN_FUZZ_SECONDS (60) each, on the seeds varpen-sample makes now
# Extra arguments after the mode go to ctest (for example: ./test.sh plain -L engine); in fuzz
# mode they name the targets to fuzz (for example: ./test.sh fuzz fuzz_diskimage).
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
  fuzz)  dir=build-fuzz; san=fuzz
         export CC=clang CXX=clang++
         export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" ;;
  *) die "unknown mode '$mode' (plain, asan, tsan or fuzz)" ;;
esac
ensure_packages

if [ "$mode" = fuzz ]; then
  ensure_packages "${VARPEN_FUZZ_PACKAGES[@]}"
  build_tree "$dir" "$san" fuzz_targets
  cd "$VARPEN_ROOT/$dir"
  say "fuzz: seeds"
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -R '^fuzz_seeds$' || die "the seeds could not be made"
  targets=("$@")
  if [ ${#targets[@]} -eq 0 ]; then
    for t in tests-bin/fuzz_*; do targets+=("$(basename "$t")"); done
  fi
  seconds="${VARPEN_FUZZ_SECONDS:-60}"
  failed=()
  for t in "${targets[@]}"; do
    [ -x "tests-bin/$t" ] || die "no fuzz target $t"
    # Inputs of up to 64 KiB. New ones go to fuzz-corpus/<target> and are kept for the next run;
    # a failing input is saved in fuzz-findings/<target>/ beside the run's log. An input that
    # takes more than 30 s or 2 GiB is a finding too.
    mkdir -p "fuzz-corpus/$t" "fuzz-findings/$t"
    say "fuzz: $t for $seconds s"
    if QT_QPA_PLATFORM=offscreen "tests-bin/$t" -max_total_time="$seconds" -max_len=65536 -timeout=30 \
         -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="fuzz-findings/$t/" "fuzz-corpus/$t" "fuzz-seeds/$t" \
         > "fuzz-findings/$t/log" 2>&1; then
      grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "fuzz-findings/$t/log" | tr '\n' ' '
      echo
    else
      tail -n 60 "fuzz-findings/$t/log"
      failed+=("$t")
    fi
  done
  [ ${#failed[@]} -eq 0 ] || die "fuzzing found faults in: ${failed[*]} (inputs and logs in $dir/fuzz-findings/)"
  say "fuzzing found nothing"
  exit 0
fi

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
