#!/usr/bin/env bash
# Builds Zelkor and starts it. The first run starts on the bundled example database (the Dutch
# dune meadows) with its synonym dictionary; later runs keep what the user set (font, window
# size, database, dictionary), which the program saves at "終了". Extra arguments go to the
# program (a table file, a database or a settings file).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
BUILD_TARGETS="zelkor zelkor-cli zelkor_guide" "$root/scripts/build.sh"

# The program's own settings file lies beside the executable; it is only seeded, never replaced.
ini="$build/app/zelkor.ini"
if [ ! -f "$ini" ]; then
  printf '[DataDir]\r\nDirectory=%s\r\n[DataFile]\r\nDataFile=dune.zki\r\n[Files]\r\nSynDict=%s\r\n[Table]\r\nTitle=Dune meadows\r\n' \
    "$root/examples" "$root/examples/dune.dic" > "$ini"
fi
exec "$build/app/zelkor" "$@"
