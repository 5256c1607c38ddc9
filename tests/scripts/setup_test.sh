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
stubs=$work/stubs
tools=$work/tools
mkdir -p "$stubs" "$tools"
for tool in bash sh env awk sed grep mktemp cat rm dirname; do
  ln -s "$(command -v "$tool")" "$tools/$tool"
done

# dpkg-query -W -f=FORMAT PACKAGE...: records the package names; prints "NAME STATUS" for the packages the machine knows
# (installed: those in $STUB_INSTALLED; removed with its configuration left: $STUB_CONFIG_ONLY;
# known but never installed: the rest), complains about unknown ones ($STUB_UNKNOWN), and exits
# 1 unless every package is installed, as the real one does.
cat >"$stubs/dpkg-query" <<'EOF'
#!/bin/bash
names=()
for arg in "$@"; do
  case $arg in -*) ;; *) names+=("$arg") ;; esac
done
echo "dpkg-query ${names[*]}" >>"$STUB_LOG"
status=0
for arg in "${names[@]}"; do
  if [[ " $STUB_INSTALLED " == *" $arg "* ]]; then
    echo "$arg install ok installed"
  elif [[ " ${STUB_UNKNOWN:-} " == *" $arg "* ]]; then
    echo "dpkg-query: no packages found matching $arg" >&2
    status=1
  elif [[ " ${STUB_CONFIG_ONLY:-} " == *" $arg "* ]]; then
    echo "$arg deinstall ok config-files"
    status=1
  else
    echo "$arg unknown ok not-installed"
    status=1
  fi
done
exit $status
EOF
# apt-get: records its arguments (and DEBIAN_FRONTEND); fails with an apt-like message when
# $STUB_APT_FAILS names the subcommand ("update" or "install").
cat >"$stubs/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $* [${DEBIAN_FRONTEND:-}]" >>"$STUB_LOG"
for arg in "$@"; do
  if [ "$arg" = "${STUB_APT_FAILS:-}" ]; then
    echo "E: Unable to locate package appstream" >&2
    exit 100
  fi
done
exit 0
EOF
cat >"$stubs/sudo" <<'EOF'
#!/bin/bash
echo "sudo $1" >>"$STUB_LOG"
exec "$@"
EOF
cat >"$stubs/id" <<'EOF'
#!/bin/bash
echo "${STUB_UID:-0}"
EOF
chmod +x "$stubs"/*

# Every package setup knows, as it hands them to dpkg-query.
all=$(STUB_LOG=$work/probe STUB_INSTALLED="" PATH=$stubs:$tools bash "$setup" >/dev/null 2>&1
  sed -n 's/^dpkg-query //p' "$work/probe")
read -r -a packages <<<"$all"

passed=0
failed=0
failures=()
# run NAME: runs setup with the STUB_ variables the caller exported; leaves $status, $out (all
# it printed) and $calls (the stubs' log).
run() {
  : >"$work/log"
  out=$(STUB_LOG=$work/log PATH=$stubs:$tools bash "$setup" 2>&1)
  status=$?
  calls=$(cat "$work/log")
}
check() { # check CASE DESCRIPTION CONDITION...
  local name=$1 what=$2
  shift 2
  if "$@"; then
    return 0
  fi
  failures+=("$name: $what")
  return 1
}
finish_case() { # finish_case NAME OK
  if [ "$2" -eq 0 ]; then
    passed=$((passed + 1))
    echo "PASS $1"
  else
    failed=$((failed + 1))
    echo "FAIL $1"
    echo "  status: $status"
    echo "  printed: $out" | sed '2,$s/^/  /'
    echo "  calls: $calls" | sed '2,$s/^/  /'
  fi
}
installs() { grep -qxF -- "apt-get install -y -qq --no-install-recommends $* [noninteractive]" <<<"$calls"; }
no_install() { ! grep -q '^apt-get' <<<"$calls"; }
says() { grep -qF -- "$1" <<<"$out"; }

case_fresh_machine() {
  export STUB_INSTALLED="" STUB_UNKNOWN="${packages[*]:0:3}" STUB_UID=0
  run
  local ok=0
  check fresh "knows the build, test and package tools" \
    grep -q ' cmake .* xvfb .* dpkg-dev .* desktop-file-utils appstream' <<<" $all " || ok=1
  check fresh "updates the package lists first" \
    grep -qx 'apt-get update -qq \[noninteractive\]' <<<"$(sed -n 2p <<<"$calls")" || ok=1
  check fresh "installs every package" installs "${packages[@]}" || ok=1
  check fresh "exits 0" test "$status" -eq 0 || ok=1
  check fresh "as root, needs no sudo" eval '! grep -q ^sudo <<<"$calls"' || ok=1
  finish_case "nothing installed: installs all ${#packages[@]} packages" $ok
}

case_some_installed() {
  export STUB_INSTALLED="${packages[*]:0:5} ${packages[*]:7}" STUB_UNKNOWN="${packages[5]}"
  export STUB_CONFIG_ONLY="${packages[6]}" STUB_UID=1000
  run
  local ok=0
  check some "installs only the missing two" installs "${packages[5]}" "${packages[6]}" || ok=1
  check some "names them" says "setup: installing ${packages[5]} ${packages[6]}" || ok=1
  check some "as a user, through sudo" test "$(grep -c '^sudo apt-get' <<<"$calls")" -eq 2 || ok=1
  check some "exits 0" test "$status" -eq 0 || ok=1
  finish_case "some installed (one unknown, one removed): installs the missing ones" $ok
  unset STUB_CONFIG_ONLY
}

case_all_installed() {
  export STUB_INSTALLED="${packages[*]}" STUB_UNKNOWN="" STUB_UID=1000
  run
  local ok=0
  check all "calls no apt-get" no_install || ok=1
  check all "prints nothing" test -z "$out" || ok=1
  check all "exits 0" test "$status" -eq 0 || ok=1
  finish_case "all installed: silent, no apt-get, exit 0" $ok
}

case_install_fails() {
  export STUB_INSTALLED="${packages[*]:2}" STUB_UNKNOWN="" STUB_UID=0 STUB_APT_FAILS=install
  run
  local ok=0
  check install-fails "exits non-zero" test "$status" -ne 0 || ok=1
  check install-fails "names the packages" \
    says "setup: apt-get could not install: ${packages[0]} ${packages[1]}" || ok=1
  check install-fails "says why (apt's message)" says "E: Unable to locate package" || ok=1
  finish_case "apt-get install fails: non-zero, names the packages and why" $ok
  unset STUB_APT_FAILS
}

case_update_fails() {
  export STUB_INSTALLED="${packages[*]:1}" STUB_UNKNOWN="" STUB_UID=0 STUB_APT_FAILS=update
  run
  local ok=0
  check update-fails "exits non-zero" test "$status" -ne 0 || ok=1
  check update-fails "installs nothing" eval '! grep -q "apt-get install" <<<"$calls"' || ok=1
  check update-fails "says why" says "E: Unable to locate package" || ok=1
  finish_case "apt-get update fails: non-zero, says why, installs nothing" $ok
  unset STUB_APT_FAILS
}

case_user_without_sudo() {
  rm "$stubs/sudo"
  export STUB_INSTALLED="${packages[*]:1}" STUB_UNKNOWN="" STUB_UID=1000
  run
  local ok=0
  check no-sudo "exits non-zero" test "$status" -ne 0 || ok=1
  check no-sudo "calls no apt-get" no_install || ok=1
  check no-sudo "names the missing package" says "${packages[0]}" || ok=1
  finish_case "a user without sudo: non-zero, names what is missing" $ok
}

if [ ${#packages[@]} -lt 8 ]; then
  echo "FAIL setup handed dpkg-query no package list (got: '$all')"
  exit 1
fi
case_fresh_machine
case_some_installed
case_all_installed
case_install_fails
case_update_fails
case_user_without_sudo

for f in "${failures[@]}"; do
  echo "  failed check: $f"
done
echo "setup test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
