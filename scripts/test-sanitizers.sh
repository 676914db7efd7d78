#!/bin/sh
# Builds the test suite with AddressSanitizer + UndefinedBehaviorSanitizer
# (every report fatal) and with ThreadSanitizer, and runs all of ctest under
# each. The module is loaded with dlopen by the stand-in host, so module and
# tests are built with the same flags (the presets do that).
#
#   LENTARA_SANITIZERS   which presets to run (default "asan tsan")
#   LENTARA_BUILD_ROOT   build under $LENTARA_BUILD_ROOT-<preset> instead of
#                        the presets' build/<preset>
set -eu
cd "$(dirname "$0")/.."
presets=${LENTARA_SANITIZERS:-"asan tsan"}
for preset in $presets; do
  start=$(date +%s)
  echo "== sanitizers: $preset"
  # The benchmarks are off in these presets; the command line and the
  # Windows smoke test stay in, they load the module like the host does.
  if [ -n "${LENTARA_BUILD_ROOT:-}" ]; then
    dir="$LENTARA_BUILD_ROOT-$preset"
    cmake --preset "$preset" -B "$dir" >/dev/null
  else
    dir="build/$preset"
    cmake --preset "$preset" >/dev/null
  fi
  cmake --build "$dir" -j2
  built=$(date +%s)
  # The options are also in the test presets; set here so that an explicit
  # build directory gets them too.
  ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$(pwd)/tests/tsan.supp \
    ctest --test-dir "$dir" -j2 --output-on-failure --timeout 600
  end=$(date +%s)
  echo "== sanitizers: $preset built in $((built - start)) s, tested in $((end - built)) s"
done
