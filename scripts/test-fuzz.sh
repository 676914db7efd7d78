#!/bin/sh
# Builds the libFuzzer targets (clang, the `fuzz` preset) and runs each for a
# bounded time from its committed seed corpus. A crash input is copied into
# fuzz/regressions/<target>/ (replayed by the normal test suite from then on)
# and fails the run; so does running out of memory or time, whose input is
# not kept as a regression. Long runs: scripts/fuzz-long.sh.
#
#   LENTARA_FUZZ_SECONDS  run time per target (default 30)
#   LENTARA_FUZZ_SEED     libFuzzer's random seed (default 1, so a CI run can
#                         be repeated; 0 lets libFuzzer pick one)
#   LENTARA_BUILD_ROOT, LENTARA_FUZZ_RSS_MB: see scripts/fuzz-lib.sh
set -eu
cd "$(dirname "$0")/.."
. scripts/fuzz-lib.sh
seconds=${LENTARA_FUZZ_SECONDS:-30}
seed=${LENTARA_FUZZ_SEED:-1}

start=$(date +%s)
# shellcheck disable=SC2086
fuzz_build $fuzz_targets
echo "== fuzz: built in $(($(date +%s) - start)) s"

failed=0
for t in $fuzz_targets; do
  work="$fuzz_dir/fuzz-run/$t"
  rm -rf "${work:?}"
  mkdir -p "$work/corpus"
  # New inputs go to a scratch corpus; the committed seeds are read only.
  rc=0
  fuzz_run "$t" "$seconds" "$seed" "$work" "$work/corpus" "fuzz/corpus/$t" || rc=$?
  echo "== fuzz: $(fuzz_summary "$t" "$work"), $(find "$work/corpus" -type f | wc -l) new corpus entries, exit $rc"
  if [ "$rc" -ne 0 ]; then
    failed=1
    tail -n 40 "$work/log"
    fuzz_keep_findings "$t" "$work" || true
  fi
done
# The stored regressions once more, through the instrumented replay program.
for t in $fuzz_targets; do
  "$fuzz_dir/fuzz/fuzz_replay" "$t" "fuzz/regressions/$t" 2>/dev/null || failed=1
done
[ "$failed" -eq 0 ] || { echo "fuzz: failures above"; exit 1; }
echo "== fuzz: no findings"
