#!/bin/sh
# Installs what is missing, builds and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup.sh
cmake --preset release
cmake --build --preset release -j2
ctest --preset release -j2
for extra in scripts/test-*.sh; do
  [ -f "$extra" ] || continue
  echo "== $extra"
  sh "$extra"
done
