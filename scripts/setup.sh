#!/bin/sh
# Installs what the build, the tools and the tests need on Debian (run as root).
# Does nothing when everything is already present.
set -eu
PKGS="build-essential cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
libopenimageio-dev openimageio-tools libtbb-dev libfreetype-dev fonts-dejavu-core nlohmann-json3-dev libcli11-dev"
. "$(dirname "$0")/packages.sh"
# shellcheck disable=SC2086
missing=$(missing_packages $PKGS)
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  # shellcheck disable=SC2086
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends $missing
fi
