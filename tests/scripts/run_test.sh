#!/usr/bin/env bash
# Runs scripts/run as on a machine without a display (no DISPLAY, no WAYLAND_DISPLAY): it must
# end by itself within a minute with status 0, print the folder it saved into, and leave there
# the four screenshots and the event log, the no-signal screen differing from the pictures.
# Needs the viewer built (scripts/run builds it when it is not).
set -uo pipefail
cd "$(dirname "$0")/../.."

failures=()
fail() { failures+=("$1"); }

start=$(date +%s)
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u VISTREL_SCENARIO -u VISTREL_SCENARIO_OUT \
  -u VISTREL_BACKEND timeout 90 scripts/run 2>&1)
status=$?
seconds=$(($(date +%s) - start))
[ $status -eq 0 ] || fail "exit status $status"
[ $seconds -le 60 ] || fail "took $seconds s, more than a minute"

# The folder is printed as "PATH:", its files on the lines after it.
folder=$(sed -n 's/^\(\/.*\):$/\1/p' <<<"$output" | tail -n 1)
if [ -z "$folder" ] || [ ! -d "$folder" ]; then
  fail "no folder printed"
else
  for file in live.png no-signal.png replugged.png resumed.png event-log.txt; do
    [ -s "$folder/$file" ] || fail "$file missing or empty"
    grep -qx "$file" <<<"$output" || fail "$file not listed"
  done
  grep -qx remove3188 "$folder/event-log.txt" 2>/dev/null || fail "the log lacks the unplug"
  # The no-signal screen is not a picture of the device (pixels differing by more than 20%).
  for picture in live replugged resumed; do
    differing=$(compare -metric AE -fuzz 20% "$folder/$picture.png" "$folder/no-signal.png" \
      null: 2>&1)
    [ "${differing%%.*}" -gt 10000 ] 2>/dev/null || fail "$picture.png looks like no-signal.png"
  done
fi

if [ ${#failures[@]} -eq 0 ]; then
  echo "PASS scripts/run without a display: ended in $seconds s, saved into $folder"
  echo "run test: 1 passed, 0 failed"
  exit 0
fi
echo "FAIL scripts/run without a display (status $status, $seconds s)"
printf '  %s\n' "${failures[@]}"
echo "$output" | tail -n 20 | sed 's/^/  | /'
echo "run test: 0 passed, 1 failed"
exit 1
