# Shared by scripts/test-fuzz.sh and scripts/fuzz-long.sh (sourced, not run).
# Expects to be in the source root; uses `local` (dash and bash have it).
#
#   LENTARA_BUILD_ROOT    build in $LENTARA_BUILD_ROOT-fuzz instead of build/fuzz
#   LENTARA_FUZZ_RSS_MB   libFuzzer's memory limit per target (default 2048)

fuzz_targets="scene_block evaluate panels composite scene_file"

# Installs clang and its fuzzer runtime if missing, configures the `fuzz`
# preset and builds the given fuzz programs and the replay program. Sets
# $fuzz_dir to the build folder.
fuzz_build() {
  local need programs t
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
    fuzz_dir="$LENTARA_BUILD_ROOT-fuzz"
    cmake --preset fuzz -B "$fuzz_dir" >/dev/null
  else
    fuzz_dir="build/fuzz"
    cmake --preset fuzz >/dev/null
  fi
  programs=""
  for t in "$@"; do programs="$programs fuzz_$t"; done
  # shellcheck disable=SC2086
  cmake --build "$fuzz_dir" -j2 --target $programs fuzz_replay
}

# fuzz_run TARGET SECONDS SEED WORKDIR CORPUS... : runs one fuzz program, new
# inputs into the first corpus folder, crash inputs into WORKDIR/artifacts,
# the log into WORKDIR/log. Returns libFuzzer's exit code.
#
# No leak check after each input: libFuzzer would stop on the host's and the
# modules' one-time allocations; leaks are memcheck's and the asan suite's to
# find.
fuzz_run() {
  local t=$1 seconds=$2 seed=$3 work=$4
  shift 4
  mkdir -p "$work/artifacts"
  "$fuzz_dir/fuzz/fuzz_$t" -max_total_time="$seconds" -seed="$seed" -max_len=1024 -timeout=20 \
    -rss_limit_mb="${LENTARA_FUZZ_RSS_MB:-2048}" -detect_leaks=0 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "$@" >"$work/log" 2>&1
}

# fuzz_summary TARGET WORKDIR : one line with the run's figures.
fuzz_summary() {
  local log execs rss secs rate
  log="$2/log"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rss=$(sed -n 's/^stat::peak_rss_mb: *//p' "$log")
  secs=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$log")
  rate=""
  [ -n "$execs" ] && [ -n "$secs" ] && [ "$secs" -gt 0 ] && rate=", $((execs / secs))/s"
  echo "$1: ${execs:-?} inputs in ${secs:-?} s$rate, peak RSS ${rss:-?} MB"
}

# fuzz_keep_findings TARGET WORKDIR : a crash input goes to
# fuzz/regressions/TARGET/, replayed by the normal test suite from then on.
# Out-of-memory, timeout and slow-input artifacts say nothing about the
# modules by themselves and would fail every replay: they stay in WORKDIR for
# a look and are only reported. Returns 1 when there was any finding.
fuzz_keep_findings() {
  local a found=0
  for a in "$2/artifacts"/*; do
    [ -f "$a" ] || continue
    found=1
    case $(basename "$a") in
      oom-* | timeout-* | slow-unit-*)
        echo "fuzz: $1: $(basename "$a") left in $2/artifacts/ (not a regression input)" ;;
      *)
        cp "$a" "fuzz/regressions/$1/"
        echo "fuzz: $1: kept $(basename "$a") in fuzz/regressions/$1/" ;;
    esac
  done
  return $found
}
