#!/usr/bin/env bash
# Installs what is missing, builds and starts the program on its local data folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    # No desktop session (a server or a container): show the program on a virtual screen.
    exec xvfb-run -a -s "-screen 0 1600x1000x24" ./build/src/quillon
fi
exec ./build/src/quillon
