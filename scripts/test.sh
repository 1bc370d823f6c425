#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The test command: installs what is missing (through sudo unless root), then,
# as the user who called it, builds everything and runs every check:
#   1. all tests (ctest), including the end-to-end dialling through private
#      PulseAudio and PipeWire servers, the window under Xvfb, and the Debian
#      package installed into a scratch folder and dialling from there;
#   2. all tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer;
#   3. the libFuzzer targets, briefly each, from their committed corpus;
#   4. clang-format over the project's own code.
# clang-tidy takes minutes more; it runs on its own: bash scripts/tidy.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash scripts/install-deps.sh test
source scripts/caller.sh
rerun_as_caller scripts/test.sh "$@"
# The tests start their own sound servers; nothing here may reach the desktop's.
XDG_RUNTIME_DIR=$(mktemp -d)
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
unset PULSE_SERVER

echo "== Build and test"
cmake -S . -B build -G Ninja -DBUILD_TESTING=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure

echo "== Sanitizers (address, undefined behaviour)"
cmake -S . -B build-asan -G Ninja -DDIALER_SANITIZE=ON >/dev/null
cmake --build build-asan
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -LE audio
# The sound tests load ALSA's plugins, which leak and are unloaded before the
# leak check can name them; memory errors are still caught there.
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-asan --output-on-failure -L audio

echo "== Fuzzing"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DDIALER_FUZZ=ON >/dev/null
cmake --build build-fuzz
ctest --test-dir build-fuzz --output-on-failure
bash tests/fuzz/run.sh 10 build-fuzz

echo "== clang-format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
echo "clang-format: clean"
