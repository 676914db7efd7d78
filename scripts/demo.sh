#!/bin/sh
# Installs what is missing, builds the release preset and renders the demo
# scene through every camera type of the module. Extra arguments go to
# `lentara demo` (for example --out DIR --size 768x384 --samples 16).
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake --preset release
cmake --build --preset release -j2 --target lentara
build/release/tools/lentara demo "$@"
