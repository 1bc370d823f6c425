#!/usr/bin/env bash
# Runs clang-tidy (configuration in .clang-tidy) over the project's own sources.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake -S . -B "$build" -G Ninja >/dev/null
root=$(pwd)
run-clang-tidy -quiet -p "$build" -j "$(nproc)" \
  "^${root}/(commands|tones|timecal|ui|runtime|tools|bench|tests)/.*\.cpp$" 2>/dev/null \
  | grep -v -E '^(clang-tidy|[0-9]+ warnings? generated|Suppressed|Use -header-filter|Enabled checks|$)' \
  > "$build/clang-tidy.log" || true
if grep -q -E 'warning:|error:' "$build/clang-tidy.log"; then
  cat "$build/clang-tidy.log"
  echo "clang-tidy: findings above"
  exit 1
fi
echo "clang-tidy: clean ($(git ls-files '*.cpp' | grep -c -E '^(commands|tones|timecal|ui|runtime|tools|bench|tests)/') files)"
