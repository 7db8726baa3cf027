#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, if missing.
set -euo pipefail
# libsegyio-dev, python3-segyio, python3-matplotlib, python3-numpy: the SEG-Y
# export and its checks; libmumps-seq-dev: the direct solver of
# elastofreq_direct, libopenblas0-serial its dense kernels (the programs link
# it by path, whatever libblas.so.3 points to) and libmetis-dev its ordering;
# libopenmpi-dev and openmpi-bin: its MPI build (ELASTOFREQ_MPI);
# libtomlplusplus-dev, libhdf5-dev, python3-h5py: elastofreq_survey's survey file,
# its HDF5 output and the check of that output; pybind11-dev, python3-dev,
# python3-pytest: the Python package and its tests; python3-scipy: the L-BFGS-B
# optimiser of the full-waveform inversion example (examples/python/fwi_lens.py).
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev python3
          libsegyio-dev python3-segyio python3-matplotlib python3-numpy
          libmumps-seq-dev libopenblas0-serial libmetis-dev libopenmpi-dev openmpi-bin
          libtomlplusplus-dev libhdf5-dev python3-h5py pybind11-dev python3-dev python3-pytest
          python3-scipy)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
