#!/usr/bin/env bash
# Fuzzes the icon extractor: fuzz/run.sh BUILD_DIR SECONDS
# Seeds come from the fixture builder; the corpus grows in BUILD_DIR/fuzz-run/corpus
# and crash inputs land in BUILD_DIR/fuzz-run/crashes/. One core, ASan + UBSan.
set -euo pipefail
build="${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}"
seconds="${2:-300}"
work="$build/fuzz-run"
mkdir -p "$work/corpus" "$work/seeds" "$work/crashes"
"$build/fuzz/fuzz_seeds" "$work/seeds"
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
exec "$build/fuzz/fuzz_extract" "$work/corpus" "$work/seeds" \
  -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$work/crashes/" -print_final_stats=1
