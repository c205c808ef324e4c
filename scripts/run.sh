#!/usr/bin/env bash
# Installs what is missing, builds, and starts Orbicap on the simulated camera.
# Extra arguments go to the program (for example --driver PATH).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: start Orbicap from a desktop session (or record without windows:" >&2
  echo "  build/bin/orbicap-record --out FOLDER/BASE --frames 100)." >&2
  exit 1
fi
exec build/bin/orbicap "$@"
