#!/usr/bin/env bash
# Installs what is missing, builds, and runs the main program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" build -DCMAKE_BUILD_TYPE=Release
"$root/build/bin/korvel-demo"
