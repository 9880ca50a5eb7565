#!/usr/bin/env bash
# Every C++ file is formatted with the project's .clang-format.
root=${1:-.}
cd "$root" || exit 1
if ! command -v clang-format >/dev/null; then echo "clang-format not installed; skipped"; exit 0; fi
files=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find core gui cli tests bench fuzz -name '*.cpp' -o -name '*.h')
[ -z "$files" ] && exit 0
bad=$(for f in $files; do [ -f "$f" ] && ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1 && echo "$f"; done)
if [ -n "$bad" ]; then echo "not clang-format clean:"; echo "$bad"; exit 1; fi
echo "format clean"
