#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/check_format.sh
scripts/build.sh ci
export QT_QPA_PLATFORM=offscreen
ctest --preset ci -j 2 --timeout 300
