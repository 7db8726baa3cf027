#!/usr/bin/env bash
# Installs what the fuzz targets need besides the build tools: clang and its
# runtime libraries (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer).
set -euo pipefail
"$(dirname "$0")/setup.sh"
packages=(clang libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
