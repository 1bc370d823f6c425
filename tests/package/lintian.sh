#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package, built with CPack, as lintian sees it with every tag shown
# (-I -E --pedantic): any error or warning fails, and so does any other tag but
# the two accepted below. The informational tags this catches are the hardening
# the package lost: an executable bound lazily (hardening-no-bindnow) or still
# carrying the compiler's .comment section (binary-has-unneeded-section).
#   lintian.sh BUILD_DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# - hardening-no-fortify-functions: with _FORTIFY_SOURCE gcc calls a checked
#   variant only where it knows the buffer's size and cannot prove the call
#   stays inside it. The program's one read() fills a single byte (proved safe),
#   and its memcpy/memset calls come from containers sized at run time (no size
#   known), so the executable has no checked call for lintian to find.
# - executable-in-usr-lib (experimental): the program reads its tone files from
#   the folder it lies in, /usr/lib/dtmf-dialer/, and tone files have no place
#   in /usr/libexec.
accepted=(
  "I: dtmf-dialer: hardening-no-fortify-functions [usr/lib/dtmf-dialer/dtmf-dialer]"
  "X: dtmf-dialer: executable-in-usr-lib [usr/lib/dtmf-dialer/dtmf-dialer]"
)

timeout 180 cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$scratch/pkg/dtmf-dialer_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$scratch/pkg")"

# lintian warns on stderr when run as root; its tags go to stdout.
timeout 300 lintian -I -E --pedantic --fail-on none "$deb" >"$scratch/tags" 2>"$scratch/lintian.err" \
  || fail "lintian did not run: $(cat "$scratch/lintian.err")"
cat "$scratch/tags"
bad=0
while IFS= read -r tag; do
  ok=0
  for a in "${accepted[@]}"; do
    [ "$tag" != "$a" ] || ok=1
  done
  if [[ $tag == [EW]:* ]] || [ "$ok" = 0 ]; then
    echo "not accepted: $tag" >&2
    bad=$((bad + 1))
  fi
done <"$scratch/tags"
[ "$bad" = 0 ] || fail "$bad lintian tags"
echo "PASS: lintian shows only the accepted tags"
