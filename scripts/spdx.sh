#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the licence identifier into the first comment of every source file git
# tracks: C++ (.cpp, .h) gets "// SPDX-License-Identifier: GPL-3.0-or-later" as
# its first line; shell scripts, CMake files and Python get "# SPDX-..." as the
# first line, or the line after the "#!" line (and after a Python coding line).
# Scripts without an extension are known by their "#!" line. A file that has an
# SPDX-License-Identifier in its first lines is left alone, so a second run
# changes nothing.
#   scripts/spdx.sh           adds the line where it is missing
#   scripts/spdx.sh --check   lists the files without it; exits 1 if there are any
# Exits 77 outside a git checkout (nothing to list the files).
set -euo pipefail
tag=SPDX-License-Identifier
line="$tag: GPL-3.0-or-later"

mode=add
case ${1-} in
--check) mode=check ;;
'') ;;
*)
  echo "usage: $0 [--check]" >&2
  exit 2
  ;;
esac
root=$(git -C "$(dirname "$0")" rev-parse --show-toplevel 2>/dev/null) || {
  echo "spdx.sh: not in a git checkout" >&2
  exit 77
}
cd "$root"

# kind FILE: "c++", "shell", "cmake" or "python" for the files that take the
# identifier; nothing for the rest (pictures, data, documents).
kind() {
  local base=${1##*/} first=
  case $base in
  *.cpp | *.h) echo c++ ;;
  *.sh) echo shell ;;
  *.cmake | CMakeLists.txt) echo cmake ;;
  *.py) echo python ;;
  *.*) ;;
  *)
    IFS= read -r -n 200 first <"$1" 2>/dev/null || true
    if [[ $first =~ ^#!.*python ]]; then
      echo python
    elif [[ $first =~ ^#!.*[/\ ](ba|da|k|z)?sh([[:space:]]|$) ]]; then
      echo shell
    fi
    ;;
  esac
}

# has_line FILE: the identifier is in FILE's first lines.
has_line() { head -n 3 "$1" | grep -q "$tag"; }

# insert FILE KIND: the identifier as the first line, after a "#!" line and a
# Python coding line if any. The file is rewritten in place (mode and links kept).
insert() {
  local file=$1 kind=$2 after=0 comment='#' python=0 tmp
  if [ "$kind" = c++ ]; then
    comment='//'
  else
    [ "$kind" != python ] || python=1
    after=$(awk -v python="$python" '
      NR == 1 && /^#!/ { n = 1; next }
      NR == n + 1 && python && /^[ \t\f]*#.*coding[:=]/ { n++ }
      NR > n + 1 { exit }
      END { print n + 0 }' "$file")
  fi
  tmp=$(mktemp)
  SPDX_LINE="$comment $line" awk -v after="$after" '
    NR == after + 1 { print ENVIRON["SPDX_LINE"] }
    { print }
    END { if (NR <= after) print ENVIRON["SPDX_LINE"] }' "$file" >"$tmp"
  cat "$tmp" >"$file"
  rm -f "$tmp"
}

missing=0
while IFS= read -r -d '' file; do
  if [ ! -f "$file" ] || [ -L "$file" ]; then
    continue
  fi
  k=$(kind "$file")
  [ -n "$k" ] || continue
  has_line "$file" && continue
  missing=$((missing + 1))
  if [ "$mode" = check ]; then
    echo "$file"
  else
    insert "$file" "$k"
    echo "added: $file"
  fi
done < <(git ls-files -z)

if [ "$mode" = check ] && [ "$missing" -gt 0 ]; then
  echo "spdx.sh: $missing files lack \"$line\" (scripts/spdx.sh adds it)" >&2
  exit 1
fi
exit 0
