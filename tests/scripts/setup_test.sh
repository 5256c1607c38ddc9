#!/usr/bin/env bash
# Runs scripts/setup on simulated machines: dpkg-query, apt-get, sudo and id are stubs first on
# PATH (next to links to the few ordinary tools the script uses, so no real package manager or
# sudo is ever reached). Each case checks what setup asked apt-get and sudo to do, what it said
# and its exit status; the cases of a user typing a password run on a terminal (script(1)).
# Prints one line per case and a summary; exits 1 when a case fails.
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
# by $STUB_APT_FAILS; asked for --print-uris, lists one 2 MB file per package.
cat >"$stubs/apt-get" <<'EOF'
#!/bin/bash
echo "apt-get $* [${DEBIAN_FRONTEND:-}]" >>"$STUB_LOG"
[[ " $* " != *" ${STUB_APT_FAILS:-none} "* ]] || { echo "E: Unable to locate package appstream" >&2; exit 100; }
[[ " $* " != *" --print-uris "* ]] || for a in "$@"; do [[ $a == -* || $a == install ]] || echo "'http://x/$a.deb' $a.deb 2000000 MD5Sum:0"; done
EOF
# sudo: logs its first argument. $STUB_SUDO says what the user's sudo asks: "" nothing (it runs
# the command), "password" a password (-n fails, -v takes it), "refused" a password, then no.
cat >"$stubs/sudo" <<'EOF'
#!/bin/bash
echo "sudo $1" >>"$STUB_LOG"
case "$1:${STUB_SUDO:-}" in
  -n:password | -n:refused) echo "sudo: a password is required" >&2; exit 1 ;;
  -v:refused) exit 1 ;;
  -v:* | -n:*) exit 0 ;;
esac
exec "$@"
EOF
printf '#!/bin/bash\ncase $1 in -u) echo "${STUB_UID:-0}" ;; -un) echo desk ;; -nG) echo "$STUB_GROUPS" ;; esac\n' \
  >"$stubs/id"
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
# run: runs setup with the STUB_ variables given as arguments, in a session of its own without
# a terminal; sets $status, $out, $calls. on_terminal: the same on a terminal of its own.
run() {
  : >"$work/log"
  local command=(env STUB_INSTALLED= STUB_UNKNOWN= STUB_CONFIG_ONLY= STUB_APT_FAILS= STUB_UID=0
    STUB_SUDO= STUB_GROUPS=desk "$@" STUB_LOG="$work/log" PATH="$stubs:$tools" bash "$setup")
  if [ -n "${terminal:-}" ]; then
    out=$(script -qec "$(printf '%q ' "${command[@]}")" /dev/null </dev/null 2>&1)
  else
    out=$(setsid -w "${command[@]}" </dev/null 2>&1)
  fi
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
on_terminal() { terminal=1 run "$@"; }
installs() { grep -qxF -- "apt-get install -y --no-install-recommends $* [noninteractive]" <<<"$calls"; }
no_install() { ! grep -q '^apt-get' <<<"$calls"; }
says() { grep -qF -- "$1" <<<"$out"; }
# The paragraph for a user who may not install: setup's words first, the line for root.
asks_an_administrator() {
  [[ $out == setup:* ]] && says "    apt-get update && apt-get install --no-install-recommends $*"
}

run STUB_UNKNOWN="${packages[*]:0:3}"
check "knows the build, test and package tools" \
  grep -q ' cmake .* xvfb .* dpkg-dev .* desktop-file-utils appstream' <<<" $all "
check "updates the package lists first" test "$(sed -n 2p <<<"$calls")" = 'apt-get update -qq [noninteractive]'
check "installs every package" installs "${packages[@]}"
check "says the download size first" says "(with what they need: ${#packages[@]} package files, $((2 * ${#packages[@]})) MB to download)"
check "says how long the first build takes" says "The first build takes about"
check "exits 0" test $status -eq 0
check "as root, needs no sudo" eval '! grep -q ^sudo <<<"$calls"'
verdict "nothing installed: installs all ${#packages[@]} packages"

run STUB_INSTALLED="${packages[*]:0:5} ${packages[*]:7}" STUB_UNKNOWN="${packages[5]}" \
  STUB_CONFIG_ONLY="${packages[6]}" STUB_UID=1000
check "installs only the missing two" installs "${packages[5]}" "${packages[6]}"
check "names them" says "setup: installing ${packages[5]} ${packages[6]}"
check "as a user, through sudo without a password" test "$(grep -c '^sudo env' <<<"$calls")" -eq 2
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

on_terminal STUB_INSTALLED="${packages[*]:1}" STUB_UID=1000 STUB_SUDO=password STUB_GROUPS="desk sudo"
check "asks sudo for the password before apt" test "$(sed -n 3p <<<"$calls")" = "sudo -v"
check "installs through sudo" installs "${packages[0]}"
check "exits 0" test $status -eq 0
verdict "a user of group sudo on a terminal: types the password, installs"

# A user who may not install: no password prompt, no apt-get, the paragraph, exit 1.
for machine in "no terminal for sudo's password:run STUB_SUDO=password STUB_GROUPS=sudo" \
  "not in group sudo or admin:on_terminal STUB_SUDO=password STUB_GROUPS='desk adm'" \
  "sudo refuses the password:on_terminal STUB_SUDO=refused STUB_GROUPS=admin" \
  "no sudo at all:rm $stubs/sudo; run"; do
  eval "${machine#*:}" STUB_INSTALLED='"${packages[*]:2}"' STUB_UID=1000
  check "exits 1" test $status -eq 1
  check "calls no apt-get" no_install
  check "prompts only where the user is let in" eval '[[ $machine == sudo* ]] || ! grep -q "^sudo -v" <<<"$calls"'
  check "gives the line for root" asks_an_administrator "${packages[0]}" "${packages[1]}"
  verdict "a user who may not install (${machine%%:*}): the line for an administrator, exit 1"
done

echo "setup test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
