#!/usr/bin/env bash
# Code, comments and test names speak of the program itself, never of the
# design documents it was built from.
root=${1:-.}
cd "$root" || exit 1
pat='\bspec(ification)?s?\b|\bPart [1-7]\.[0-9]\b'
hits=$(grep -rnIiE "$pat" core gui cli tests bench fuzz tools .ci 2>/dev/null \
  --include='*.cpp' --include='*.h' --include='*.sh' --include='*.txt' --include='*.py' --include='run' \
  | grep -v 'tests/checks/wording.sh' || true)
if [ -n "$hits" ]; then echo "$hits"; exit 1; fi
echo "wording clean"
