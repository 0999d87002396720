#!/usr/bin/env bash
# Builds Zelkor and starts it on the bundled example database (the Dutch dune meadows) with
# its synonym dictionary. Extra arguments go to the program.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
BUILD_TARGETS="zelkor zelkor-cli" "$root/scripts/build.sh"

# A settings file that names the example database; the program keeps its own settings file
# beside the executable and saves there when the user quits.
ini="$build/example-settings.ini"
if [ ! -f "$ini" ]; then
  printf '[DataDir]\r\nDirectory=%s\r\n[DataFile]\r\nDataFile=dune.zki\r\n[Files]\r\nSynDict=%s\r\n[Table]\r\nTitle=Dune meadows\r\n' \
    "$root/examples" "$root/examples/dune.dic" > "$ini"
fi
exec "$build/app/zelkor" "$ini" "$@"
