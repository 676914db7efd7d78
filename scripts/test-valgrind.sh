#!/bin/sh
# Memcheck run of the demo render (every camera type of the module, small
# image, one sample) on the release build: no leak and no invalid access.
#
#   LENTARA_VALGRIND_DIR  build tree to take the lentara program from
#                         (default build/release, built here if missing)
set -eu
cd "$(dirname "$0")/.."
dir=${LENTARA_VALGRIND_DIR:-build/release}

if ! command -v valgrind >/dev/null 2>&1; then
  echo "valgrind: installing valgrind"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends valgrind
fi
if [ ! -x "$dir/tools/lentara" ]; then
  cmake --preset release
  cmake --build "$dir" -j2 --target lentara
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
start=$(date +%s)
valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect \
  --show-leak-kinds=definite,indirect --track-origins=yes --num-callers=30 \
  "$dir/tools/lentara" --no-progress demo --size 64x48 --samples 1 --threads 2 --out "$out"
echo "== valgrind: demo render clean in $(($(date +%s) - start)) s"
