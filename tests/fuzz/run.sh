#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target for a while, each on a scratch copy of its committed
# seed corpus (the committed corpus is never written to).
#
#   tests/fuzz/run.sh [SECONDS_PER_TARGET] [BUILD_DIR]
#
# SECONDS_PER_TARGET defaults to 15, BUILD_DIR to build-fuzz in the source tree
# (configured with -DDIALER_FUZZ=ON under clang). Prints one line per target
# with its number of executions; exits non-zero when any target fails, and then
# keeps the scratch folder with the target's log and the input that broke it.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
budget="${1:-15}"
build="${2:-$root/build-fuzz}"
targets=(fuzz_number fuzz_elements)

if ! [[ "$budget" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [seconds per target] [build dir]" >&2
    exit 2
fi

# Any sanitizer finding ends the run as a crash, so that libFuzzer keeps the input.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/dialer-fuzz.XXXXXX")"
failed=0
for target in "${targets[@]}"; do
    binary="$build/tests/fuzz/$target"
    work="$scratch/$target"
    mkdir -p "$work/corpus" "$work/artifacts"
    if [[ ! -x "$binary" ]]; then
        printf '%-16s FAILED: %s is not built\n' "$target" "$binary"
        failed=1
        continue
    fi
    cp "$here/corpus/$target/"* "$work/corpus/"

    "$binary" -max_total_time="$budget" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/" "$work/corpus" >"$work/log" 2>&1
    status=$?

    execs="$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$work/log" | tail -n 1)"
    if [[ -z "$execs" ]]; then
        # No final statistics after a crash: take the last progress line.
        execs="$(sed -n 's/^#\([0-9]*\).*/\1/p' "$work/log" | tail -n 1)"
    fi
    if [[ $status -eq 0 ]]; then
        printf '%-16s ok      %12s executions in %ss\n' "$target" "${execs:-?}" "$budget"
    else
        printf '%-16s FAILED  %12s executions, exit status %d\n' "$target" "${execs:-?}" "$status"
        grep -E -A3 'ERROR: |runtime error|SUMMARY' "$work/log" | head -n 20 |
            sed 's/^/    /'
        for artifact in "$work/artifacts/"*; do
            [[ -e "$artifact" ]] && echo "    input kept: $artifact"
        done
        echo "    log: $work/log"
        failed=1
    fi
done

if [[ $failed -eq 0 ]]; then
    rm -rf "$scratch"
else
    echo "scratch folder kept: $scratch"
fi
exit $failed
