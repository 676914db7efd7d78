#!/bin/sh
# Builds the libFuzzer targets (clang, the `fuzz` preset) and runs each for a
# bounded time from its committed seed corpus. A crash input is copied into
# fuzz/regressions/<target>/ (replayed by the normal test suite from then on)
# and fails the run.
#
#   LENTARA_FUZZ_SECONDS  run time per target (default 30)
#   LENTARA_FUZZ_SEED     libFuzzer's random seed (default 1, so a CI run can
#                         be repeated; 0 lets libFuzzer pick one)
#   LENTARA_BUILD_ROOT    build in $LENTARA_BUILD_ROOT-fuzz instead of build/fuzz
set -eu
cd "$(dirname "$0")/.."
seconds=${LENTARA_FUZZ_SECONDS:-30}
seed=${LENTARA_FUZZ_SEED:-1}
targets="scene_block evaluate panels composite"

need=""
command -v clang++ >/dev/null 2>&1 || need="$need clang"
dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "install ok installed" || need="$need libclang-rt-14-dev"
if [ -n "$need" ]; then
  echo "fuzz: installing$need"
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  # shellcheck disable=SC2086
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends $need
fi

if [ -n "${LENTARA_BUILD_ROOT:-}" ]; then
  dir="$LENTARA_BUILD_ROOT-fuzz"
  cmake --preset fuzz -B "$dir" >/dev/null
else
  dir="build/fuzz"
  cmake --preset fuzz >/dev/null
fi
start=$(date +%s)
for t in $targets; do set -- "$@" "fuzz_$t"; done
cmake --build "$dir" -j2 --target "$@" fuzz_replay
echo "== fuzz: built in $(($(date +%s) - start)) s"

work="$dir/fuzz-run"
failed=0
for t in $targets; do
  rm -rf "${work:?}/$t"
  mkdir -p "$work/$t/corpus" "$work/$t/artifacts"
  # New inputs go to a scratch corpus; the committed seeds are read only.
  # No leak check after each input: the stand-in host keeps the records of
  # destroyed envelopes and panels, which libFuzzer would take for a leak
  # and scan for on every input; memory grows with the number of inputs
  # (about 1 GB per 400 000 scene blocks). Leaks are memcheck's and the asan
  # suite's to find.
  rc=0
  "$dir/fuzz/fuzz_$t" -max_total_time="$seconds" -seed="$seed" -max_len=1024 -timeout=20 -rss_limit_mb=3072 \
    -detect_leaks=0 -print_final_stats=1 -artifact_prefix="$work/$t/artifacts/" \
    "$work/$t/corpus" "fuzz/corpus/$t" >"$work/$t/log" 2>&1 || rc=$?
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$t/log")
  corpus=$(find "$work/$t/corpus" -type f | wc -l)
  seeds=$(find "fuzz/corpus/$t" -type f | wc -l)
  echo "== fuzz: $t: ${execs:-?} executions in ${seconds} s, $seeds seeds, $corpus new corpus entries, exit $rc"
  if [ "$rc" -ne 0 ]; then
    failed=1
    tail -n 40 "$work/$t/log"
    for a in "$work/$t/artifacts"/*; do
      [ -f "$a" ] || continue
      cp "$a" "fuzz/regressions/$t/"
      echo "fuzz: kept $(basename "$a") in fuzz/regressions/$t/"
    done
  fi
done
# The stored regressions once more, through the instrumented replay program.
for t in $targets; do
  "$dir/fuzz/fuzz_replay" "$t" "fuzz/regressions/$t" 2>/dev/null || failed=1
done
[ "$failed" -eq 0 ] || { echo "fuzz: failures above"; exit 1; }
echo "== fuzz: no findings"
