#!/usr/bin/env bash
# Installs what is missing, builds, and starts Orbicap on the simulated camera.
# Extra arguments go to the program (for example --driver PATH).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default
exec build/bin/orbicap "$@"
