#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time over the kept corpus.
# New inputs go to a scratch folder; a crash leaves its input in build/fuzz/artifacts and fails the run.
# FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

seconds=${FUZZ_SECONDS:-60}
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"
for target in picture:picture_fuzzer colorconv:color_fuzzer stored:stored_fuzzer pack:pack_fuzzer font:font_fuzzer; do
    corpus=${target%%:*}
    fuzzer=${target##*:}
    scratch=$(mktemp -d)
    echo "fuzz: $fuzzer for ${seconds}s"
    log="$artifacts/$fuzzer.log"
    status=0
    build/fuzz/tests/fuzz/$fuzzer "$scratch" "tests/fuzz/corpus/$corpus" \
        -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$artifacts/$fuzzer-" >"$log" 2>&1 || status=$?
    grep -E '^(stat::number_of_executed_units|==[0-9]+==ERROR|SUMMARY|Test unit written)' "$log" || true
    rm -rf "$scratch"
    if [ "$status" -ne 0 ]; then
        echo "fuzz: $fuzzer found a failure; its input is in $artifacts" >&2
        exit 1
    fi
done
echo "fuzz: no failures"
