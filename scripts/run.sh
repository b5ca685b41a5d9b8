#!/usr/bin/env bash
# Installs what is missing, builds, and runs Korvel.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
# Only the programs it runs: the tests and benchmarks wait for scripts/test.sh.
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
targets=(korvel-cli)
ninja -C "$root/build" -t query korvel >/dev/null 2>&1 && targets+=(korvel)
cmake --build "$root/build" --target "${targets[@]}"
# The window where a display is available, otherwise the command-line tool on
# a bundled example.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x "$root/build/bin/korvel" ]; then
  exec "$root/build/bin/korvel"
fi
example="$root/examples/quadratic.txt"
echo "No display: the roots of $(cat "$example") with korvel-cli:"
echo
exec "$root/build/bin/korvel-cli" "$example"
