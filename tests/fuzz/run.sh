#!/usr/bin/env bash
# Runs fuzz programs over their seeds (tests/fuzz/corpus/<name>), new finds going to a
# scratch folder so the seeds in the repository stay as they are.
#   tests/fuzz/run.sh BUILD_DIR NAME SECONDS   one program, briefly (what ./test.sh does)
#   tests/fuzz/run.sh --long [SECONDS [NAME...]]  every program (or those named) in turn,
#                                               SECONDS each (600)
# FUZZ_RUNS=N ends each program after N runs if that comes first.
# The w32_* targets (tests/fuzz/win32) run in build/win32/w32fuzz.exe under Wine, with a
# random seed that the result line shows (FUZZ_SEED=N runs the same inputs again).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ "${1:-}" = "--long" ]; then
  secs=${2:-600}
  . "$root/tools/deps.sh"
  velmora_deps
  [ -f "$root/build/fuzz/build.ninja" ] ||
    CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DVELMORA_FUZZ=ON >/dev/null
  cmake --build "$root/build/fuzz" -j2
  [ -f "$root/build/win32/build.ninja" ] ||
    cmake -S "$root" -B "$root/build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32.cmake" >/dev/null
  cmake --build "$root/build/win32" -j2 --target w32fuzz
  shift $(( $# > 1 ? 2 : $# ))
  names=${*:-$(cd "$here" && ls *_fuzz.cpp | sed 's/\.cpp$//') $(cd "$here/corpus" && ls -d w32_*)}
  for n in $names; do
    echo "== $n, $secs s"
    case $n in w32_*) build=$root/build/win32 ;; *) build=$root/build/fuzz ;; esac
    nice -n 19 "$0" "$build" "$n" "$secs" || failed=1
  done
  exit ${failed:-0}
fi
build=$1 name=$2 secs=$3
seeds="$here/corpus/$name"
scratch=$(mktemp -d /tmp/velmora-fuzz-run.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
case $name in w32_*)
  [ -f "$build/w32fuzz.exe" ] || { echo "w32fuzz.exe: not built in $build" >&2; exit 1; }
  seed=${FUZZ_SEED:-$(( (RANDOM << 15 | RANDOM) + 1 ))}
  rc=0
  "$root/tests/wine-run.sh" "$build/w32fuzz.exe" "$name" "Z:$seeds" -max_total_time="$secs" \
    ${FUZZ_RUNS:+-runs=$FUZZ_RUNS} -seed="$seed" -timeout=10 >"$scratch/log" 2>&1 || rc=$?
  grep -E '^#[0-9]+ DONE' "$scratch/log" || true
  if [ "$rc" -ne 0 ]; then
    grep -v '^GnuTLS' "$scratch/log" | tail -40 >&2
    mkdir -p "$root/build/fuzz-findings"
    sed -n '/^FINDING/,/^#/p' "$scratch/log" >"$root/build/fuzz-findings/$name-seed$seed.txt"
    echo "$name: finding kept in build/fuzz-findings/ (FUZZ_SEED=$seed repeats the run)" >&2
  fi
  exit "$rc"
esac
mkdir -p "$scratch/new" "$scratch/crash"
# A hang or a crash is a failure; each finding is written to the scratch folder and named.
[ -x "$build/$name" ] || { echo "$name: not built in $build" >&2; exit 1; }
# A TIME answer is four bytes: longer inputs only repeat the extra-bytes case, slowly.
limit=""
[ "$name" = time_fuzz ] && limit=-max_len=256
rc=0
"$build/$name" $limit -max_total_time="$secs" ${FUZZ_RUNS:+-runs=$FUZZ_RUNS} -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$scratch/crash/" "$scratch/new" "$seeds" >"$scratch/log" 2>&1 || rc=$?
grep -E 'stat::number_of_executed_units|ERROR|SUMMARY|Test unit written|^#[0-9]+.*DONE' "$scratch/log" || true
found=$(ls "$scratch/crash" | wc -l)
if [ "$rc" -ne 0 ] || [ "$found" -ne 0 ]; then
  tail -40 "$scratch/log" >&2
  mkdir -p "$root/build/fuzz-findings"
  cp "$scratch/crash/"* "$root/build/fuzz-findings/" 2>/dev/null || true
  echo "$name: finding kept in build/fuzz-findings/" >&2
  exit 1
fi
