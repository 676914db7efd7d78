#!/bin/sh
# Installs what is missing, builds and runs the whole test suite: the native
# tests, then every extra suite (sanitizers, fuzzers, memcheck), then the
# Windows cross builds with their smoke test under Wine.
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
echo "== scripts/windows-check.sh"
LENTARA_NATIVE_DIR=build/release bash scripts/windows-check.sh
