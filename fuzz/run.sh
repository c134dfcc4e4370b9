#!/usr/bin/env bash
# Fuzzes each target in turn, one core: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# SECONDS is per target; without TARGETs every fuzz_* program of the build runs.
# A target's corpus grows in BUILD_DIR/fuzz-run/<target>/corpus from
# fuzz/seeds/<target>/, fuzz/regressions/<target>/ and what its seed writer
# (<target>_seeds, where there is one) writes; crash inputs land in
# BUILD_DIR/fuzz-run/<target>/crashes/, to be copied into
# fuzz/regressions/<target>/, and libFuzzer's output in .../log. The closing
# line per target gives executions, coverage (cov) and features (ft).
set -uo pipefail
build="${1:?usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]}"
seconds="${2:-120}"
shift 2 || shift $#
here="$(cd "$(dirname "$0")" && pwd)"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for p in "$build"/fuzz/fuzz_*; do
    [ -f "$p" ] && [ -x "$p" ] && targets+=("$(basename "$p" | sed 's/^fuzz_//')")
  done
fi
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
failed=0
for t in "${targets[@]}"; do
  work="$build/fuzz-run/$t"
  mkdir -p "$work/corpus" "$work/crashes"
  inputs=("$work/corpus")
  # The group reader reads the files the extractor reads, and starts from
  # the same inputs.
  from="$t"
  [ "$t" = groups ] && from=extract
  for d in "$here"/{seeds,regressions}/"$from" "$here"/{seeds,regressions}/"$t"; do
    [ -d "$d" ] && [[ ! " ${inputs[*]} " =~ " $d " ]] && inputs+=("$d")
  done
  if [ -x "$build/fuzz/${from}_seeds" ]; then
    mkdir -p "$work/seeds"
    "$build/fuzz/${from}_seeds" "$work/seeds" >/dev/null
    inputs+=("$work/seeds")
  fi
  # Real programs are larger than 64 KB; settings and mount tables are not,
  # and a few inotify records show every way to split them.
  case "$t" in
    extract) max_len=1048576 ;;
    inotify) max_len=8192 ;;
    *) max_len=65536 ;;
  esac
  echo "== $t ($seconds s)"
  "$build/fuzz/fuzz_$t" "${inputs[@]}" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$work/crashes/" -print_final_stats=1 >"$work/log" 2>&1
  status=$?
  grep -E "DONE|^stat::number_of_executed_units|^stat::peak_rss_mb|ERROR|SUMMARY" "$work/log"
  crashes=$(find "$work/crashes" -type f | wc -l)
  echo "crash inputs: $crashes"
  if [ $status -ne 0 ] || [ "$crashes" -ne 0 ]; then
    failed=1
  fi
done
exit $failed
