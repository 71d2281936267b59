#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need,
# and nothing else. Runs apt-get update once, and only when something is
# missing. Needs root, or sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-pil python3-pytest gdal-bin python3-ezdxf time
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core libcli11-dev clang libclang-rt-14-dev potrace
  libgdal-dev python3-gdal python3-numpy librecad librsvg2-bin xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root or sudo to install ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
