#!/usr/bin/env bash
# Fuzzes the parsers of outside data: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]
# Targets: extract (the icon extractor), groups (the group reader and writer),
# inotify (the inotify record decoder);
# every one in turn, SECONDS each, when none is named. Seeds come from each
# target's seed writer; the corpus grows in BUILD_DIR/fuzz-run/TARGET/corpus and
# crash inputs land in BUILD_DIR/fuzz-run/TARGET/crashes/. One core, ASan + UBSan.
set -euo pipefail
build="${1:?usage: fuzz/run.sh BUILD_DIR SECONDS [TARGET...]}"
seconds="${2:-300}"
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(extract groups inotify)
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
  case "$target" in
    extract | groups) seeds="$build/fuzz/fuzz_seeds"; max_len=65536 ;;
    inotify) seeds="$build/fuzz/fuzz_inotify_seeds"; max_len=8192 ;;
    *) echo "fuzz/run.sh: no target named $target" >&2; exit 2 ;;
  esac
  work="$build/fuzz-run/$target"
  mkdir -p "$work/corpus" "$work/seeds" "$work/crashes"
  "$seeds" "$work/seeds"
  "$build/fuzz/fuzz_$target" "$work/corpus" "$work/seeds" \
    -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/crashes/" -print_final_stats=1
done
