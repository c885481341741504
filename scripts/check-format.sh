#!/usr/bin/env bash
# Fails when a C++ file of the repository is not as clang-format (with the
# repository's .clang-format) writes it, and names the files.
set -euo pipefail
cd "$(dirname "$0")/.."

command -v clang-format >/dev/null || { echo "check-format: needs clang-format" >&2; exit 1; }
unformatted=()
while IFS= read -r -d '' file; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done < <(git ls-files -z '*.cpp' '*.h')
if [ ${#unformatted[@]} -ne 0 ]; then
    echo "check-format: not formatted (clang-format -i FILE):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "check-format: every C++ file is formatted"
