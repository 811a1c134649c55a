#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each from its starting inputs for
# SECONDS (default 60), one after the other; stops at the first crash, keeping its input.
#
#   bash scripts/fuzz.sh [SECONDS]
#
# Starting inputs: what make_fuzz_seeds and make_anim_seeds write into a scratch folder,
# plus tests/data/fuzz/<target> where present (<target> is the name without "fuzz_").
# The targets run in that scratch folder (scripts may write files there); as root they
# run as the user "nobody". VONDREL_FUZZ_BUILD_DIR (default build/fuzz) is where it
# builds, with VONDREL_JOBS parallel jobs (default: all cores); VONDREL_FUZZ_TARGETS
# names the targets to run (default: all). Crash inputs are kept in <build>/crashes/.
set -euo pipefail
SECONDS_EACH=${1:-60}
case $SECONDS_EACH in '' | *[!0-9]* | 0)
  echo "usage: $0 [SECONDS]" >&2
  exit 2
  ;;
esac
cd "$(dirname "$0")/.."
ROOT=$(pwd)
bash scripts/setup.sh
BUILD=${VONDREL_FUZZ_BUILD_DIR:-build/fuzz}
case $BUILD in /*) ;; *) BUILD="$ROOT/$BUILD" ;; esac
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -DVONDREL_FUZZ=ON -DVONDREL_TESTS=OFF -DVONDREL_BENCH=OFF \
  -DVONDREL_DEMO=OFF >/dev/null
cmake --build "$BUILD" -j"${VONDREL_JOBS:-$(nproc)}" --target all

mapfile -t TARGETS < <(cd fuzz && find . -maxdepth 1 -name 'fuzz_*.cpp' -printf '%f\n' | sed 's/\.cpp$//' | sort)
if [ -n "${VONDREL_FUZZ_TARGETS:-}" ]; then read -r -a TARGETS <<<"$VONDREL_FUZZ_TARGETS"; fi

SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/vondrel-fuzz.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT
CRASHES="$BUILD/crashes"
mkdir -p "$CRASHES"

# As root, the targets run as "nobody" from copies in the scratch folder (the build
# folder may lie where nobody can read).
AS=()
BIN="$BUILD/fuzz"
LIBS="$BUILD"
DICTS="$ROOT/fuzz"
if [ "$(id -u)" -eq 0 ] && id nobody >/dev/null 2>&1; then
  AS=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --reset-env --)
  BIN="$SCRATCH/bin"
  LIBS="$SCRATCH/bin"
  DICTS="$SCRATCH/bin"
  mkdir -p "$BIN"
  cp "$BUILD"/libvondrel.so* "$BIN"/
  for t in "${TARGETS[@]}"; do cp "$BUILD/fuzz/$t" "$BIN/"; done
  cp "$ROOT"/fuzz/*.dict "$BIN/"
fi

# Starting inputs, written by the engine's own writers.
SEEDS="$SCRATCH/seeds"
mkdir -p "$SEEDS"/{anim_new,anim_pak,anim_old}
(cd "$SCRATCH" && "$BUILD/fuzz/make_fuzz_seeds" "$SEEDS")
"$BUILD/fuzz/make_anim_seeds" "$SEEDS/anim_new" "$SEEDS/anim_pak" "$SEEDS/anim_old"
for d in "$ROOT"/tests/data/fuzz/*/; do
  name=$(basename "$d")
  mkdir -p "$SEEDS/$name"
  cp "$d"/* "$SEEDS/$name/"
done
chmod -R a+rX "$SCRATCH"

echo "Fuzzing ${#TARGETS[@]} targets for ${SECONDS_EACH} s each."
for t in "${TARGETS[@]}"; do
  name=${t#fuzz_}
  work="$SCRATCH/run/$name"
  mkdir -p "$work/corpus" "$work/tmp" "$work/artifacts"
  chmod -R a+rwX "$SCRATCH/run"
  args=(-max_total_time="$SECONDS_EACH" -timeout=25 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix="$work/artifacts/")
  if [ -f "$DICTS/$name.dict" ]; then args+=(-dict="$DICTS/$name.dict"); fi
  corpora=("$work/corpus")
  if [ -d "$SEEDS/$name" ]; then corpora+=("$SEEDS/$name"); fi
  log="$work/log"
  printf '%-28s' "$t"
  status=0
  (cd "$work" && "${AS[@]}" env TMPDIR="$work/tmp" LD_LIBRARY_PATH="$LIBS" \
    ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
    "$BIN/$t" "${args[@]}" "${corpora[@]}" </dev/null >"$log" 2>&1) || status=$?
  if [ "$status" -ne 0 ]; then
    echo "FAILED (exit status $status)"
    tail -n 60 "$log"
    kept=()
    for a in "$work"/artifacts/*; do
      [ -e "$a" ] || continue
      cp "$a" "$CRASHES/$t-$(basename "$a")"
      kept+=("$CRASHES/$t-$(basename "$a")")
    done
    cp "$log" "$CRASHES/$t.log"
    if [ ${#kept[@]} -gt 0 ]; then
      echo "The failing input is kept in: ${kept[*]}"
      echo "Run it again with: $BUILD/fuzz/$t ${kept[0]}"
    fi
    echo "The fuzzer's output is in $CRASHES/$t.log"
    exit 1
  fi
  grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' | sed 's/$/ runs/' || echo ok
done
echo "No target failed."
