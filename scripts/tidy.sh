#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs clang-tidy (configuration in .clang-tidy) over the project's own sources.
#
#   tidy.sh [BUILD_DIR [SOURCES]]
#
# SOURCES is a regular expression for the paths, relative to the project, of
# the sources to check (say 'runtime/dates\.cpp'); by default every source of
# the project's own folders. Exit status: 0 clean, 1 findings (printed), 2 the
# tool is missing, failed or checked nothing: that is never reported as clean.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
own='(commands|tones|timecal|ui|runtime|tools|bench|tests)/.*\.cpp'
sources=${2:-$own}
broken() {
  echo "clang-tidy: NOT RUN: $*" >&2
  exit 2
}
command -v run-clang-tidy >/dev/null || broken "run-clang-tidy is not installed (Debian package clang-tidy)"
cmake -S . -B "$build" -G Ninja >/dev/null
root=$(pwd)
root_re=$(sed 's/[][\.*^$+?(){}|]/\\&/g' <<<"$root")
output=$build/clang-tidy.out
errors=$build/clang-tidy.err
log=$build/clang-tidy.log
status=0
run-clang-tidy -quiet -p "$build" -j "$(nproc)" "^${root_re}/(${sources})\$" >"$output" 2>"$errors" ||
  status=$?
# What is left without the tool's own chatter: the findings.
grep -v -E '^(clang-tidy|[0-9]+ warnings? generated|Suppressed|Use -header-filter|Enabled checks|$)' \
  "$output" >"$log" || [ $? -eq 1 ]
checked=$(grep -c -E '^clang-tidy' "$output") || true
# A crashed clang-tidy is a failure of the tool even where other files had findings.
if grep -q -E 'terminated by signal|Stack dump|PLEASE submit a bug report' "$errors"; then
  cat "$log"
  tail -n 20 "$errors" >&2 || true
  broken "clang-tidy crashed (whole messages in $errors)"
fi
if grep -q -E 'warning:|error:' "$log"; then
  cat "$log"
  echo "clang-tidy: findings above (sources checked: $checked)"
  exit 1
fi
if [ "$status" -ne 0 ]; then
  tail -n 20 "$output" "$errors" >&2 || true
  broken "run-clang-tidy failed (exit status $status) and reported no finding"
fi
[ "$checked" -gt 0 ] || broken "no source matched '^${root}/(${sources})\$' in $build/compile_commands.json"
echo "clang-tidy: clean (sources checked: $checked)"
