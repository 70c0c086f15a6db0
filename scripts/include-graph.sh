#!/usr/bin/env bash
# Prints which top-level folder includes which: one line "FROM -> TO  COUNT" per pair of
# folders, counting the #include "folder/..." lines of every .h and .cpp file (includes within
# a folder are left out). app/gui counts as a folder of its own, apart from the rest of app/.
#   scripts/include-graph.sh [ROOT]        (ROOT: the source tree, default: this checkout)
set -euo pipefail
root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"
folders=()
for folder in app platform engine widgets timeline playback devicelog mainwindow tools bench tests images; do
  [ -d "$folder" ] && folders+=("$folder")
done
grep -rH --include='*.h' --include='*.cpp' -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"/]+/' "${folders[@]}" |
  awk -v known=" ${folders[*]} " '
    function node(path) { if (path ~ /^app\/gui\//) return "app/gui"; split(path, p, "/"); return p[1] }
    {
      file = substr($0, 1, index($0, ":") - 1)
      header = $0; sub(/^[^"]*"/, "", header); sub(/".*$/, "", header)
      split(header, h, "/")
      if (index(known, " " h[1] " ") == 0) next
      from = node(file); to = node(header)
      if (from != to) count[from " -> " to]++
    }
    END { for (pair in count) { split(pair, p, " -> "); printf "%-10s -> %-10s %5d\n", p[1], p[2], count[pair] } }' |
  sort
