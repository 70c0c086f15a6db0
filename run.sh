#!/usr/bin/env bash
# Installs what is missing, builds in build/, makes the sample recordings once and starts the station.
source "$(dirname "$0")/scripts/common.sh"
ensure_packages
build_tree build
cd "$VARPEN_ROOT"
if [ -x build/bin/varpen-sample ] && [ ! -f build/samples/.done ]; then
  say "samples: writing build/samples (once)"
  scripts/make-samples.sh build/bin build/samples || die "making the samples failed"
fi
extra="${VARPEN_EXTRA_DISKS:-}"
if [ -f build/samples/.done ]; then
  for f in build/samples/disks/*; do
    [ -e "$f" ] && extra="${extra:+$extra:}$PWD/$f"
  done
fi
say "start: build/bin/varpen"
VARPEN_EXTRA_DISKS="$extra" exec build/bin/varpen "$@"
