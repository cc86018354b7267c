#!/usr/bin/env bash
# scripts/check-includes passes on the tree as it is and fails, naming the
# file, when a lower room includes a higher one.
set -euo pipefail
root=$1
"$root/scripts/check-includes" "$root"
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$root/src" "$root/ARCHITECTURE.md" "$copy/"
echo '#include "cli/command_line.h"' >>"$copy/src/db/osql.cpp"
if "$root/scripts/check-includes" "$copy" 2>"$copy/err"; then
  echo "an include from db up into cli passed the check" >&2
  exit 1
fi
grep -q '^db/osql.cpp: includes cli/command_line.h' "$copy/err"
