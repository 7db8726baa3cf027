#!/usr/bin/env bash
# Installs what is missing, builds from scratch in build/ and runs the test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DELASTOFREQ_MPI=ON >/dev/null
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
