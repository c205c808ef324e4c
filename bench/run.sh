#!/usr/bin/env bash
# Builds in Release mode and runs the benchmark rows. Each row compares
# Orbicap's code with a limit measured in the same run and prints
#   NAME ratio=R target=T pass|FAIL
# and the run ends with "N passed, M failed".
#
#   bench/run.sh                 every row
#   bench/run.sh intake8 histogram   only these rows
#   BENCH_DIR=/data bench/run.sh ser_record   record into another folder
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" >/dev/null
exec python3 bench/rows.py --build build-release "$@"
