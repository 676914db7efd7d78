#!/bin/sh
# Installs what is missing, builds the release preset and renders the demo
# scene through every camera type of the modules. Extra arguments go to
# `lentara demo` (for example --out DIR --size 768x384 --samples 16).
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake --preset release
# Everything the README shows: the preview tool (which builds every camera
# module it loads) and, with the timing module, lentara-cycles.
targets=lentara
if [ -f timing/CMakeLists.txt ]; then targets="$targets lentara-cycles"; fi
cmake --build --preset release -j2 --target $targets
build/release/tools/lentara demo "$@"
