#!/usr/bin/env bash
# make-samples.sh BIN_DIR OUT_DIR: the demo recordings that ./run.sh offers as disks.
# A local recording folder: 8 channels, 2 days, 2 one-minute segments a day with audio, 640x360
# (about 40 s on 4 cores), and a recorder disk image.
set -euo pipefail
bin="$1"; out="$2"
jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -gt 4 ] && jobs=4
mkdir -p "$out/disks"
QT_QPA_PLATFORM=offscreen "$bin/varpen-sample" folder "$out/disks/folder" \
  --channels 8 --start-date 2024-01-30 --days 2 --segments-per-day 2 --segment-length 60 --gap 30 \
  --record-types 2,4,5,1 --size 640x360 --audio --jobs "$jobs"
# A recorder disk image (NVR layout) with device logs.
QT_QPA_PLATFORM=offscreen "$bin/varpen-sample" disk "$out/disks/recorder-nvr.img" --layout nvr \
  --channels 4 --days 2 --segments-per-day 3 --segment-length 20 --logs 500
touch "$out/.done"
