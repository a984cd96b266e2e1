#!/usr/bin/env bash
# Builds the project and runs the main program, orvhost, with the given arguments
# (without any: `orvhost run`, the embedded default scenario).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup-deps.sh"
(cd "$here" && cmake --preset default >/dev/null && cmake --build --preset default)
host="$here/build/default/host/orvhost"
if [ ! -x "$host" ]; then
  echo "run.sh: built everything; orvhost is not part of the build yet" >&2
  exit 0
fi
[ $# -gt 0 ] || set -- run
exec "$host" "$@"
