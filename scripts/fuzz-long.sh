#!/bin/sh
# Long fuzz runs outside CI:
#
#   scripts/fuzz-long.sh TARGET SECONDS [CORPUS_DIR]
#
# Runs one target (scene_block, evaluate, panels, composite, scene_file) for
# SECONDS from the committed seeds and CORPUS_DIR (default
# build/fuzz-corpus/TARGET, made if missing). At the end the inputs that
# found new coverage are merged into CORPUS_DIR (point it at fuzz/corpus/TARGET
# to grow the committed seeds). A crash input is kept in
# fuzz/regressions/TARGET/ as the CI script does; an out-of-memory or timeout
# input is reported and left in the run folder. Memory stays flat over any
# run time; the log's last lines give inputs run and peak RSS.
#
#   LENTARA_FUZZ_SEED     libFuzzer's random seed (default 0: libFuzzer picks)
#   LENTARA_BUILD_ROOT, LENTARA_FUZZ_RSS_MB: see scripts/fuzz-lib.sh
set -eu
cd "$(dirname "$0")/.."
. scripts/fuzz-lib.sh
if [ $# -lt 2 ] || ! echo " $fuzz_targets " | grep -q " $1 "; then
  echo "usage: scripts/fuzz-long.sh TARGET SECONDS [CORPUS_DIR]   (TARGET: $fuzz_targets)" >&2
  exit 2
fi
t=$1 seconds=$2
corpus=${3:-build/fuzz-corpus/$t}
seed=${LENTARA_FUZZ_SEED:-0}
mkdir -p "$corpus"

fuzz_build "$t"
work="$fuzz_dir/fuzz-long/$t-$(date +%Y%m%d-%H%M%S)-$$"
mkdir -p "$work/new"
echo "fuzz-long: $t for $seconds s, log in $work/log"
rc=0
fuzz_run "$t" "$seconds" "$seed" "$work" "$work/new" "$corpus" "fuzz/corpus/$t" || rc=$?
echo "fuzz-long: $(fuzz_summary "$t" "$work"), exit $rc"
# Only what adds coverage to the named corpus goes into it.
before=$(find "$corpus" -type f | wc -l)
"$fuzz_dir/fuzz/fuzz_$t" -merge=1 -max_len=1024 -timeout=20 -detect_leaks=0 "$corpus" "$work/new" >"$work/merge.log" 2>&1 ||
  echo "fuzz-long: merge failed, see $work/merge.log (new inputs stay in $work/new)"
echo "fuzz-long: $corpus: $before -> $(find "$corpus" -type f | wc -l) inputs"
found=0
fuzz_keep_findings "$t" "$work" || found=1
[ "$rc" -eq 0 ] && [ "$found" -eq 0 ] || { echo "fuzz-long: findings above"; exit 1; }
echo "fuzz-long: no findings"
