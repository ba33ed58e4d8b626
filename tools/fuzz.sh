#!/usr/bin/env bash
# Runs every fuzzer of the fuzz build (or those named) for a while, one after the other, and
# prints a table: run length, executions and their rate, coverage, inputs found, peak memory and
# the result. Inputs the fuzzers find go to build/fuzz/corpora/<name> (kept from run to run; the
# seed corpus in the repository stays small); a crashing input goes to build/fuzz/findings/ and
# the fuzzer's log to build/fuzz/logs/.
# Usage: tools/fuzz.sh [seconds per fuzzer, default 300] [fuzzer names...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}; shift || true
tools/setup.sh fuzz >/dev/null
cmake --build --preset fuzz --target fuzzers >/dev/null
out=build/fuzz
mkdir -p "$out/corpora" "$out/findings" "$out/logs"

stat() { sed -n "s/^stat::$1: *//p" "$2" | tail -1; }
failed=0
printf '| fuzzer | seconds | executions | per second | coverage (edges) | features | new inputs | peak RSS | result |\n'
printf '|---|---:|---:|---:|---:|---:|---:|---:|---|\n'
while read -r name binary corpus; do
    if (($#)) && [[ " $* " != *" $name "* ]]; then continue; fi
    work=$out/corpora/$name
    log=$out/logs/$name.log
    mkdir -p "$work"
    started=$(date +%s)
    rc=0
    QT_QPA_PLATFORM=offscreen LSAN_OPTIONS=suppressions=$PWD/tools/lsan-qt.supp "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
        -rss_limit_mb=2048 -artifact_prefix="$out/findings/$name-" "$work" "$corpus" >"$log" 2>&1 || rc=$?
    elapsed=$(($(date +%s) - started))
    last=$(grep -E '^#[0-9]+' "$log" | tail -1)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    result=clean
    if ((rc != 0)); then
        result="FINDING (exit $rc, see $log)"
        failed=1
    fi
    printf '| %s | %s | %s | %s | %s | %s | %s | %s MB | %s |\n' "$name" "$elapsed" \
        "$(stat number_of_executed_units "$log")" "$(stat average_exec_per_sec "$log")" "${cov:-?}" "${ft:-?}" \
        "$(stat new_units_added "$log")" "$(stat peak_rss_mb "$log")" "$result"
done <"$out/fuzzers.txt"
exit "$failed"
