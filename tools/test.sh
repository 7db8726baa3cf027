#!/usr/bin/env bash
# Installs what is missing, builds from scratch in build/ and runs the test
# suite; then builds the suite again in build-sanitize/ with AddressSanitizer
# and UndefinedBehaviorSanitizer (asserts on, baseline x86-64 code paths
# only) and runs it there too, and compares a run of both builds. Between the
# two, every output of the deck-driven programs is checked against the
# recorded checksums (tests/data/output_checksums.txt). The Python package's
# tests (pytest) run after the release suite, not in the sanitized build.
# ELASTOFREQ_SANITIZE=0 skips the second build.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DELASTOFREQ_MPI=ON >/dev/null
cmake --build build -j "$(nproc)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
# the Python package, with Debian's interpreter, from the build folder
PYTHONPATH="$PWD/build" PYTHONDONTWRITEBYTECODE=1 ELASTOFREQ_BIN_DIR="$PWD/build" \
  /usr/bin/python3 -m pytest -q -p no:cacheprovider tests/python
# every output of the deck-driven programs against the recorded checksums
tools/output_checksums.sh build --check

if [ "${ELASTOFREQ_SANITIZE:-1}" != 0 ]; then
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DELASTOFREQ_SANITIZE=ON -DELASTOFREQ_BASELINE_ISA=ON -DELASTOFREQ_BENCH=OFF >/dev/null
  cmake --build build-sanitize -j "$(nproc)"
  ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"
  # the two builds (AVX2 paths and 2 threads against baseline paths and one
  # thread) must write the same bytes
  tools/compare_builds.sh build build-sanitize
fi
