#!/usr/bin/env bash
# Rebuilds the example database dune.zki / dune.zkd from the CSV files beside this script.
# Uses build/app/zelkor-cli, or the program named by $ZELKOR_CLI.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="${ZELKOR_CLI:-$here/../build/app/zelkor-cli}"
"$cli" mkdb "$here/dune-sites.csv" "$here/dune-cover.csv" -o "$here/dune.zki" \
  --title "Dune meadows, Terschelling" --header-items "$here/dune-items.csv" --k 5 --d 2
"$cli" info "$here/dune.zki"
