#!/usr/bin/env bash
# core/ is the toolkit-free half of the program: no Qt header may appear in it.
root=${1:-.}
hits=$(grep -rnE '#include *[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)' "$root/core" || true)
if [ -n "$hits" ]; then echo "Qt headers in core/:"; echo "$hits"; exit 1; fi
echo "core/ includes no Qt header"
