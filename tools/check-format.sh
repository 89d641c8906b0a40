#!/usr/bin/env bash
# Checks that every C++ source in the tree is formatted as .clang-format says (the test command
# runs it first). Lists the files that are not and fails; `clang-format -i <file>` fixes one.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files -- '*.cpp' '*.h')
unformatted=()
for file in "${sources[@]}"; do
    if [[ -f $file ]] && ! clang-format --dry-run --Werror "$file" > /dev/null 2>&1; then
        unformatted+=("$file")
    fi
done
if [[ ${#unformatted[@]} -gt 0 ]]; then
    echo "Not formatted with clang-format:" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "Formatting: ${#sources[@]} files checked"
