#!/usr/bin/env bash
# make-samples.sh BIN_DIR OUT_DIR: the demo recordings that ./run.sh offers as disks.
#   OUT_DIR/disks/folder            a local recording folder: 16 channels over two days of the
#                                   current month (yesterday and today; today and tomorrow on the
#                                   1st), two 30-second recordings a day per channel with sound,
#                                   352x288
#   OUT_DIR/disks/recorder-nvr.img  the same recordings as a recorder disk (NVR layout) with 600
#                                   device-log records over the two days
# The calendar opens on the current month, which is where its marked days and a recorder disk's
# channels are looked for: run.sh writes the set again once its month is over.
# About 20 s on 4 cores; the image takes the folder's recordings, nothing is encoded twice.
set -euo pipefail
# Bump when the set changes: run.sh writes the samples again when .done holds another version.
SAMPLES_VERSION=2
# The stamp: the version and the month of the recordings.
[ "${1:-}" = "--version" ] && { echo "$SAMPLES_VERSION $(date +%Y-%m)"; exit 0; }
bin="$1"; out="$2"
jobs=$(nproc 2>/dev/null || echo 2)
[ "$jobs" -gt 4 ] && jobs=4
if [ "$(date +%d)" = "01" ]; then first=$(date +%F); else first=$(date -d yesterday +%F); fi
days=(--start-date "$first" --days 2)
rm -rf "$out/disks"
mkdir -p "$out/disks"
QT_QPA_PLATFORM=offscreen "$bin/varpen-sample" folder "$out/disks/folder" \
  --channels 16 "${days[@]}" --first-time 09:00:00 --segments-per-day 2 --segment-length 30 --gap 3600 \
  --record-types 2,4,5,1 --audio --jobs "$jobs"
QT_QPA_PLATFORM=offscreen "$bin/varpen-sample" disk "$out/disks/recorder-nvr.img" --layout nvr \
  --folder "$out/disks/folder" "${days[@]}" --logs 600
echo "$SAMPLES_VERSION ${first:0:7}" > "$out/.done"
