#!/usr/bin/env bash
# Measures the element's dispersion and the absorbing boundary's reflection on
# the solver and writes docs/accuracy/dispersion.{csv,md,png} (a few minutes).
# Installs what is missing first; Debian's python3 carries numpy and matplotlib.
set -euo pipefail
cd "$(dirname "$0")/../.."
tools/setup.sh
python=/usr/bin/python3
[ -x "$python" ] || python=python3
exec "$python" tools/dispersion/dispersion.py "$@"
