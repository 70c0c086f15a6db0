#!/usr/bin/env bash
# Installs what is missing, builds in build/, makes the sample recordings once and starts the station
# with them offered as disks (the first of them chosen). Disks or folders of your own go first:
#   VARPEN_EXTRA_DISKS=/media/usb/copy:/srv/recorder.img ./run.sh
source "$(dirname "$0")/scripts/common.sh"
ensure_packages
build_tree build
cd "$VARPEN_ROOT"
if [ -x build/bin/varpen-sample ] && [ "$(cat build/samples/.done 2>/dev/null)" != "$(scripts/make-samples.sh --version)" ]; then
  say "samples: writing build/samples (once, about a minute)"
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
