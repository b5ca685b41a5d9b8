#!/usr/bin/env bash
# Installs what is missing, builds, and runs Korvel.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release
# The window where a display is available, otherwise the command-line tool on
# a bundled example.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$root/build/bin/korvel" ]; then
  exec "$root/build/bin/korvel"
fi
example="$root/examples/quadratic.txt"
echo "No display: the roots of $(cat "$example") with korvel-cli:"
echo
exec "$root/build/bin/korvel-cli" "$example"
