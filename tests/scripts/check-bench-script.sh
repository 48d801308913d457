#!/bin/bash
# Every Python program that scripts/bench feeds to python3 through a quoted here-document must
# at least compile: a broken one prints a traceback instead of the table, and the script's exit
# status then no longer says whether a target was missed.
set -euo pipefail
script="${1:?usage: check-bench-script.sh path/to/scripts/bench}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
awk -v dir="$work" '
    inside && $0 == "EOF" { inside = 0; close(file); next }
    inside { print > file; next }
    /python3 - .*<<'"'"'EOF'"'"'/ { n++; file = sprintf("%s/block%02d.py", dir, n); printf "" > file; inside = 1 }
    END { if (inside) { print "unterminated here-document" > "/dev/stderr"; exit 1 } }
' "$script"
count=0
for block in "$work"/block*.py; do
    [[ -e "$block" ]] || continue
    python3 -m py_compile "$block" || { echo "check-bench-script: ${block##*/} of $script does not compile" >&2; exit 1; }
    count=$((count + 1))
done
[[ $count -gt 0 ]] || { echo "check-bench-script: no Python blocks found in $script" >&2; exit 1; }
echo "check-bench-script: $count Python blocks compile"
