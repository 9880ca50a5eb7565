#!/usr/bin/env bash
# Installs what is missing, builds the program and its sample scenes, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh
# Samples on even when an earlier configure of this folder turned them off.
cmake --preset release -DLUMORA_SAMPLES=ON >/dev/null
cmake --build --preset release --parallel "$(nproc)"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found; starting under a virtual X server (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/release/bin/lumora
fi
exec build/release/bin/lumora
