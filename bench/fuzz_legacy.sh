#!/usr/bin/env bash
# Builds the fuzz target of the legacy readers and runs it for a while (default 60 s):
#   bench/fuzz_legacy.sh [seconds]
# The corpus and any crashing inputs stay in build/fuzz-legacy/.
set -euo pipefail
wt=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
seconds=${1:-60}
cmake --build "$wt/build" --target fuzz_legacy >/dev/null
out="$wt/build/fuzz-legacy"
mkdir -p "$out/corpus" "$out/crashes"
cd "$out"
FUZZ_SEEDS="$out/corpus" ASAN_OPTIONS=detect_leaks=1 "$wt/build/bench/fuzz_legacy" "$out/corpus" \
  -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$out/crashes/" \
  -print_final_stats=1
