#!/usr/bin/env bash
# make-samples.sh BIN_DIR OUT_DIR: the demo recordings that ./run.sh offers as disks.
set -euo pipefail
bin="$1"; out="$2"
mkdir -p "$out/disks"
"$bin/varpen-sample" folder "$out/disks/folder"
touch "$out/.done"
