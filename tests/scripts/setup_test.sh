#!/usr/bin/env bash
# Runs scripts/setup on simulated machines: dpkg-query, apt-get, sudo and id are stubs first on
# PATH (next to links to the few ordinary tools the script uses, so no real package manager or
# sudo is ever reached). Each case checks what setup asked apt-get to do, what it said and its
# exit status. Prints one line per case and a summary; exits 1 when a case fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
setup=$root/scripts/setup
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stubs=$work/stubs tools=$work/tools
mkdir -p "$stubs" "$tools"
for tool in bash sh env awk sed grep mktemp cat rm dirname; do
  ln -s "$(command -v "$tool")" "$tools/$tool"
done

# dpkg-query -W -f=FORMAT PACKAGE...: logs the names; prints "NAME STATUS" as the real one does
# for installed ($STUB_INSTALLED), config-only ($STUB_CONFIG_ONLY) and known but never installed
# packages, complains about unknown ones ($STUB_UNKNOWN); exits 1 unless all are installed.
cat >"$stubs/dpkg-query" <<'EOF'
#!/bin/bash
names=(); for a in "$@"; do [[ $a == -* ]] || names+=("$a"); done
echo "dpkg-query ${names[*]}" >>"$STUB_LOG"
status=0
for a in "${names[@]}"; do
  if [[ " $STUB_INSTALLED " == *" $a "* ]]; then echo "$a install ok installed"; continue; fi
  status=1
  if [[ " ${STUB_UNKNOWN:-} " == *" $a "* ]]; then echo "dpkg-query: no packages found matching $a" >&2
  elif [[ " ${STUB_CONFIG_ONLY:-} " == *" $a "* ]]; then echo "$a deinstall ok config-files"
  else echo "$a unknown ok not-installed"; fi
done
exit $status
EOF
# apt-get: logs its arguments and DEBIAN_FRONTEND; fails as apt does on the subcommand named
# by $STUB_APT_FAILS.
cat >"$stubs/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $* [${DEBIAN_FRONTEND:-}]" >>"$STUB_LOG"
[[ " $* " != *" ${STUB_APT_FAILS:-none} "* ]] || { echo "E: Unable to locate package appstream" >&2; exit 100; }
EOF
printf '#!/bin/bash\necho "sudo $1" >>"$STUB_LOG"\nexec "$@"\n' >"$stubs/sudo"
printf '#!/bin/bash\necho "${STUB_UID:-0}"\n' >"$stubs/id"
chmod +x "$stubs"/*

# Every package setup knows, as it hands them to dpkg-query.
all=$(STUB_LOG=$work/probe STUB_INSTALLED="" PATH=$stubs:$tools bash "$setup" >/dev/null 2>&1
  sed -n 's/^dpkg-query //p' "$work/probe")
read -r -a packages <<<"$all"
if [ ${#packages[@]} -lt 8 ]; then
  echo "FAIL setup handed dpkg-query no package list (got: '$all')"
  exit 1
fi

passed=0 failed=0
# run: runs setup with the STUB_ variables given as arguments; sets $status, $out, $calls.
run() {
  : >"$work/log"
  out=$(env STUB_INSTALLED= STUB_UNKNOWN= STUB_CONFIG_ONLY= STUB_APT_FAILS= STUB_UID=0 "$@" \
    STUB_LOG="$work/log" PATH="$stubs:$tools" bash "$setup" 2>&1)
  status=$?
  calls=$(cat "$work/log")
  bad=()
}
check() { "${@:2}" || bad+=("$1"); } # check WHAT CONDITION...
verdict() {
  if [ ${#bad[@]} -eq 0 ]; then passed=$((passed + 1)) && echo "PASS $1" && return; fi
  failed=$((failed + 1))
  echo "FAIL $1"
  printf '  failed check: %s\n' "${bad[@]}"
  printf '  status: %s\n  printed: %s\n  calls: %s\n' "$status" "$out" "$calls" | sed '4,$s/^/  /'
}
installs() { grep -qxF -- "apt-get install -y -qq --no-install-recommends $* [noninteractive]" <<<"$calls"; }
no_install() { ! grep -q '^apt-get' <<<"$calls"; }
says() { grep -qF -- "$1" <<<"$out"; }

run STUB_UNKNOWN="${packages[*]:0:3}"
check "knows the build, test and package tools" \
  grep -q ' cmake .* xvfb .* dpkg-dev .* desktop-file-utils appstream' <<<" $all "
check "updates the package lists first" test "$(sed -n 2p <<<"$calls")" = 'apt-get update -qq [noninteractive]'
check "installs every package" installs "${packages[@]}"
check "exits 0" test $status -eq 0
check "as root, needs no sudo" eval '! grep -q ^sudo <<<"$calls"'
verdict "nothing installed: installs all ${#packages[@]} packages"

run STUB_INSTALLED="${packages[*]:0:5} ${packages[*]:7}" STUB_UNKNOWN="${packages[5]}" \
  STUB_CONFIG_ONLY="${packages[6]}" STUB_UID=1000
check "installs only the missing two" installs "${packages[5]}" "${packages[6]}"
check "names them" says "setup: installing ${packages[5]} ${packages[6]}"
check "as a user, through sudo" test "$(grep -c '^sudo apt-get' <<<"$calls")" -eq 2
check "exits 0" test $status -eq 0
verdict "some installed (one unknown, one removed): installs the missing ones"

run STUB_INSTALLED="${packages[*]}" STUB_UID=1000
check "calls no apt-get" no_install
check "prints nothing" test -z "$out"
check "exits 0" test $status -eq 0
verdict "all installed: silent, no apt-get, exit 0"

run STUB_INSTALLED="${packages[*]:2}" STUB_APT_FAILS=install
check "exits non-zero" test $status -ne 0
check "names the packages" says "setup: apt-get could not install: ${packages[0]} ${packages[1]}"
check "says why (apt's message)" says "E: Unable to locate package"
verdict "apt-get install fails: non-zero, names the packages and why"

run STUB_INSTALLED="${packages[*]:1}" STUB_APT_FAILS=update
check "exits non-zero" test $status -ne 0
check "installs nothing" eval '! grep -q "apt-get install" <<<"$calls"'
check "says why" says "E: Unable to locate package"
verdict "apt-get update fails: non-zero, says why, installs nothing"

rm "$stubs/sudo"
run STUB_INSTALLED="${packages[*]:1}" STUB_UID=1000
check "exits non-zero" test $status -ne 0
check "calls no apt-get" no_install
check "names the missing package" says "${packages[0]}"
verdict "a user without sudo: non-zero, names what is missing"

echo "setup test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
