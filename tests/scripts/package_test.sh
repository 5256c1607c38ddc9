#!/usr/bin/env bash
# Usage: package_test.sh BUILD_DIR
# Runs scripts/package into BUILD_DIR (kept between runs, so a later run builds only what
# changed): it must end with status 0 and print only the path of the package it made there,
# from a release build with no tests or benchmarks: neither their programs, nor the link checks,
# nor Google Test. Prints the time it took.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$1
failures=()
fail() { failures+=("$1"); }

rm -f "$dir"/*.deb
start=$(date +%s)
output=$(timeout 1200 "$root/scripts/package" "$dir" 2>"$dir.log")
status=$?
seconds=$(($(date +%s) - start))
[ $status -eq 0 ] || fail "exit status $status"
package=$dir/vistrel_1.2.6_$(dpkg --print-architecture).deb
[ "$output" = "$package" ] || fail "printed '$output', not the package's path $package"
[ -s "$package" ] || fail "no package $package"
grep -qx 'VISTREL_TESTS:BOOL=OFF' "$dir/CMakeCache.txt" 2>/dev/null || fail "tests not off"
grep -qx 'CMAKE_BUILD_TYPE:STRING=Release' "$dir/CMakeCache.txt" 2>/dev/null || fail "not Release"
! grep -q '^GTest_DIR:' "$dir/CMakeCache.txt" 2>/dev/null || fail "looked for Google Test"
built=$(find "$dir" -type f -executable \( -name '*_tests' -o -name '*_bench' -o -name '*_links' \
  -o -name 'sdl_present' \) | head -n 3)
[ -z "$built" ] || fail "built what only tests need: $built"

if [ ${#failures[@]} -eq 0 ]; then
  echo "PASS scripts/package with tests off: $package in $seconds s"
  exit 0
fi
echo "FAIL scripts/package with tests off (status $status, $seconds s)"
printf '  %s\n' "${failures[@]}"
tail -n 20 "$dir.log" | sed 's/^/  | /'
exit 1
