#!/usr/bin/env bash
# Installs what the build needs (Debian packages, only those missing),
# configures and builds TERVA into build/ (or the folder given as $1).
# Extra CMake options may follow the folder; --preset NAME builds a preset of
# CMakePresets.json instead.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(cmake make g++ libgtest-dev libbenchmark-dev qt6-base-dev qt6-charts-dev qt6-svg-dev libgl-dev xvfb xauth xdotool
          python3-numpy python3-matplotlib  # the Python package, its tests and the validation page
          python3-xarray python3-netcdf4 python3-distributed python3-tqdm  # studies: datasets, a Dask cluster, progress
          python3-venv python3-setuptools python3-wheel  # pip install ./python, offline
          locales  # the comma-decimal locales the locale tests make with localedef
          poppler-utils  # pdftotext, which reads the calculation report back in its tests
          dpkg-dev file)  # the last two for the Debian package (cpack -G DEB)
bash scripts/install-missing.sh bootstrap "${packages[@]}"

if [ "${1:-}" = "--preset" ]; then
  # a configure preset of CMakePresets.json (sanitiser, tsan, engine …), in its own folder
  cmake --preset "$2" >/dev/null
  cmake --build --preset "$2" -j "$(nproc)"
  exit 0
fi
build="${1:-build}"
shift || true
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
