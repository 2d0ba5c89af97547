#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: the normal build,
# its style gate and its Debian package, the AddressSanitizer +
# UndefinedBehaviorSanitizer build, and a short run of each fuzzer from its
# seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

step() { printf '\n== %s\n' "$*" >&2; }

step "build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
step "style"
STYLE_JOBS=$jobs bash scripts/style.sh build
step "tests"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 180
step "Debian package"
rm -f build/tavimo_*.deb
(cd build && cpack -G DEB >/dev/null)
bash scripts/check-package.sh build

step "sanitizer build"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVIMO_SANITIZE=ON -DTAVIMO_BROWSER_TESTS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
step "sanitizer tests"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 400 -LE browser

step "fuzzers"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVIMO_FUZZ=ON >/dev/null
cmake --build build-fuzz -j"$jobs"
for fuzzer in build-fuzz/fuzz/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer" _fuzz)
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$work/" 2>/dev/null || true
  echo "fuzzing $name" >&2
  "$fuzzer" -max_total_time="${FUZZ_SECONDS:-20}" -rss_limit_mb=4096 "$work" 2>"$work.log" || { tail -50 "$work.log"; exit 1; }
  rm -rf "$work" "$work.log"
done
echo "all test stages passed" >&2
