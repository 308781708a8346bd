#!/bin/sh
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan included) and runs
# each on its seed corpus. Any crash, leak or failed check fails the run.
#   scripts/fuzz.sh             the run CI makes: seed 1 and a set number of inputs per
#                               target (about half a minute each on two cores), so the run is
#                               the same size on every machine; it starts from the same
#                               inputs, though coverage that varies with addresses lets the
#                               later mutations drift between runs
#   scripts/fuzz.sh SECONDS     explore: a fresh seed and SECONDS per target; what it finds
#                               goes into fuzz/corpus/TARGET once fixed
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
SECONDS_EACH=${1:-}
TARGETS="bit_file intel_hex download prom_download dialog cli_args"

# Inputs per target in the seeded run, by each target's speed.
fixed_runs() {
  case $1 in
    bit_file) echo 1000000 ;;
    intel_hex) echo 1500000 ;;
    download) echo 80000 ;;
    prom_download) echo 36000 ;;
    dialog) echo 5000 ;;
    cli_args) echo 60000 ;;
  esac
}
BUILD_DIR=${BUILD_DIR:-build-fuzz}
JOBS=${JOBS:-$(nproc)}

# Warnings are gated by the gcc build; clang may word a few differently.
cmake -S fuzz -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVANE_WERROR=OFF \
  -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS" --target $(for t in $TARGETS; do printf "%s_fuzz " "$t"; done)

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# New inputs go to a scratch directory: the seed corpus in the repository stays as it is.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
status=0
for target in $TARGETS; do
  mkdir -p "$WORK/$target"
  # Each target's own words where it has them, else the .bit format's.
  dict=fuzz/$target.dict
  [ -f "$dict" ] || dict=fuzz/bit_file.dict
  if [ -n "$SECONDS_EACH" ]; then
    bound="-max_total_time=$SECONDS_EACH"
    echo "fuzz: $target for ${SECONDS_EACH}s"
  else
    # The time cap only keeps a slow machine from running for ever; the count sizes
    # the run.
    bound="-seed=1 -runs=$(fixed_runs "$target") -max_total_time=240"
    echo "fuzz: $target, $(fixed_runs "$target") inputs from seed 1"
  fi
  # Inputs are kept small: a download costs 16 adapter bytes per file byte on the model,
  # and each PROM block programmed is read back, so the downloads get a header and a few
  # blocks (a stream of some 20 KB), enough for every path through them.
  max_len=4096
  case $target in download | prom_download) max_len=1536 ;; esac
  # shellcheck disable=SC2086
  "$BUILD_DIR/${target}_fuzz" $bound -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=1024 -dict="$dict" -artifact_prefix="$BUILD_DIR/${target}-" \
    -print_final_stats=1 "$WORK/$target" "fuzz/corpus/$target" 2>"$WORK/$target.log" || {
    status=1
    tail -n 60 "$WORK/$target.log" >&2
    echo "fuzz: $target FAILED; the input is kept as $BUILD_DIR/${target}-*" >&2
    continue
  }
  # Executions, coverage (cov:) and speed (exec/s) of the run.
  grep -E '^#[0-9]+[[:space:]]+DONE' "$WORK/$target.log" || true
done
exit "$status"
