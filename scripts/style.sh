#!/usr/bin/env bash
# The style gate of the product folders: their layout against .clang-format,
# then clang-tidy (.clang-tidy) over their sources with the compile database
# of a configured and built tree (default build/; the generated moc headers
# must be there). Exits non-zero on any finding.
#   scripts/style.sh [BUILD_DIR]      STYLE_JOBS=N sets the parallel runs (2)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
jobs=${STYLE_JOBS:-2}
folders=(app cli download net parse script workflow)

tool() {
    command -v "$1-14" || command -v "$1" || { echo "style: $1 is not installed" >&2; exit 2; }
}
clang_format=$(tool clang-format)
clang_tidy=$(tool clang-tidy)

if [ ! -f "$build/compile_commands.json" ]; then
    echo "style: no $build/compile_commands.json; configure and build that tree first" >&2
    exit 2
fi

mapfile -t files < <(find "${folders[@]}" -maxdepth 1 -type f \( -name '*.cpp' -o -name '*.h' \) | sort)
mapfile -t sources < <(printf '%s\n' "${files[@]}" | grep '\.cpp$')

echo "style: clang-format, ${#files[@]} files" >&2
"$clang_format" --dry-run --Werror "${files[@]}"

echo "style: clang-tidy, ${#sources[@]} files, $jobs at a time" >&2
# Each file's report is printed whole, and only when it has findings.
export clang_tidy build
printf '%s\0' "${sources[@]}" | xargs -0 -n1 -P"$jobs" sh -c '
    if ! report=$("$clang_tidy" -p "$build" --quiet "$1" 2>&1); then
        printf "%s\n" "$report"
        exit 1
    fi' tidy
echo "style: clean" >&2
