#!/usr/bin/env bash
# Checks the Debian package that `make package` wrote into BUILD_DIR as a
# user meets it: lintian, the desktop entry, the AppStream file and the
# manual pages are validated; then the package is installed with apt-get, the
# installed programs run from a folder of their own (the editor on a real X
# server, Xvfb, where it must come up without an error box and quit by its
# File > Exit shortcut), Tab completion is tried, and the package is removed,
# leaving none of its files behind.
#
# Usage: tests/package/check_package.sh BUILD_DIR   (as root, or with SUDO=sudo)
set -euo pipefail

build=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
sudo=${SUDO:-}
shopt -s nullglob
debs=("$build"/vellumark_*.deb)
[[ ${#debs[@]} -eq 1 ]] || { echo "expected one vellumark_*.deb in $build, found ${#debs[@]}" >&2; exit 1; }
deb=${debs[0]}
version=$(dpkg-deb -f "$deb" Version)
work=$(mktemp -d)
installed=""
cleanup() {
    local rc=$?
    [[ -n $installed ]] && $sudo apt-get remove -y -qq vellumark >/dev/null 2>&1
    rm -rf "$work"
    exit $rc
}
trap cleanup EXIT
fail() { echo "check_package: $*" >&2; exit 1; }
step() { echo "-- $*"; }

step "package $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Section Depends Homepage | sed 's/^/   /'

step "lintian (no error allowed)"
lintian --fail-on error --display-info --tag-display-limit 0 "$deb" 2>&1 | sed 's/^/   /' || fail "lintian reports errors"

step "desktop entry, AppStream metadata, manual pages"
dpkg-deb -x "$deb" "$work/root"
root=$work/root/usr
desktop-file-validate "$root"/share/applications/*.desktop
appstreamcli validate --no-net "$root"/share/metainfo/*.metainfo.xml | sed 's/^/   /'
for page in "$root"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "man --warnings on $(basename "$page"): $warnings"
    zcat "$page" | grep -q '^\.SS "Exit status:"' || fail "$(basename "$page") has no exit status"
    zcat "$page" | grep -q '^\.SH EXAMPLES' || fail "$(basename "$page") has no EXAMPLES"
done
# Every command of the companion is in its page.
for command in check resave transcript dump build diff flow "level move" "level insert" "level delete" \
               "strings export" "strings import"; do
    zcat "$root/share/man/man1/vellumark-cli.1.gz" | grep -q -- "${command/ /\\ }\|$command" ||
        fail "vellumark-cli.1 does not describe \"$command\""
done

step "apt-get install"
if dpkg-query -W -f='${Status}' vellumark 2>/dev/null | grep -q "install ok installed"; then
    fail "vellumark is installed already; remove it first"
fi
installed=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get install failed"; }
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }')

# The installed programs, started from a folder that holds neither readme
# nor skin.bmp.
mkdir "$work/elsewhere"
cd "$work/elsewhere"
PATH=/usr/bin:/bin

step "vellumark-cli --version, --help, check"
[[ $(vellumark-cli --version) == "vellumark-cli $version" ]] || fail "vellumark-cli --version: $(vellumark-cli --version)"
vellumark-cli --help | grep -q '^Usage: vellumark-cli' || fail "vellumark-cli --help"
vellumark-cli check --help | grep -q '^Usage: vellumark-cli check' || fail "vellumark-cli check --help"
"$build/make_sample_script" script.dat
vellumark-cli check script.dat >check.txt || { cat check.txt; fail "vellumark-cli check failed"; }
grep -q '^problems: 0 errors, 0 warnings$' check.txt || { cat check.txt; fail "unexpected check summary"; }
man -w vellumark-cli >/dev/null || fail "man finds no page for vellumark-cli"

step "vellumark --version, --help"
[[ $(vellumark --version) == "vellumark $version" ]] || fail "vellumark --version: $(vellumark --version)"
vellumark --help | grep -q '^Usage: vellumark' || fail "vellumark --help"

step "vellumark offscreen: still running after 3 seconds"
rc=0
QT_QPA_PLATFORM=offscreen timeout 3 vellumark script.dat || rc=$?
[[ $rc -eq 124 ]] || fail "vellumark offscreen ended with $rc before it was stopped"

# On a real X server: the main window (its title is the open file) comes up
# with no error box beside it (an error box at start, a missing readme or
# skin.bmp, would hold the main window back and bear the title "vellumark");
# Ctrl+X is File > Exit, and the program must end with 0.
step "vellumark on Xvfb: start, no error box, File > Exit"
cat >"$work/x-session.sh" <<'EOF'
set -u
export QT_QPA_PLATFORM=xcb
vellumark "$PWD/script.dat" 2>vellumark.err &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name "script\.dat" | head -n 1)
[[ -n $window ]] || { echo "no main window within 20 seconds"; kill $pid; exit 1; }
sleep 1
if boxes=$(xdotool search --onlyvisible --name "^vellumark$"); then
    echo "an error box is shown"; kill $pid; exit 1
fi
xdotool windowfocus --sync "$window" key ctrl+x
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "still running after File > Exit"; kill $pid; exit 1; fi
wait $pid
EOF
rc=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/x-session.sh" || rc=$?
[[ $rc -eq 0 ]] || { cat vellumark.err; fail "vellumark on Xvfb failed ($rc)"; }

step "bash completion"
mkdir completion && cd completion
touch a.dat B.DAT c.json d.po e.pot
complete_line() {  # prints the completions of the words given, the last one being completed
    bash -c 'source /usr/share/bash-completion/bash_completion
             source /usr/share/bash-completion/completions/vellumark-cli
             COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
             _vellumark_cli vellumark-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
             printf "%s\n" "${COMPREPLY[@]}" | LC_ALL=C sort | tr "\n" " "' _ "$@"
}
expect_completion() {
    local want=$1; shift
    local got; got=$(complete_line "$@")
    [[ $got == "$want" ]] || fail "completing \"$*\": got \"$got\", expected \"$want\""
}
expect_completion "check " vellumark-cli ch
expect_completion "B.DAT a.dat " vellumark-cli check ""
expect_completion "--codepage --help --json --strict " vellumark-cli check a.dat -
expect_completion "cp1250 cp1251 cp1252 cp1253 cp1254 cp1255 cp1256 cp1257 cp1258 " vellumark-cli dump --codepage cp
expect_completion "c.json " vellumark-cli build ""
expect_completion "c.json " vellumark-cli dump a.dat -o ""
expect_completion "d.po " vellumark-cli strings import a.dat ""
expect_completion "e.pot " vellumark-cli strings export a.dat -o ""
expect_completion "delete insert move " vellumark-cli level ""
cd /

step "apt-get remove"
$sudo apt-get remove -y -qq vellumark >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get remove failed"; }
installed=""
left=""
while IFS= read -r f; do
    [[ -e $f || -L $f ]] && left+=" $f"
done <<<"$files"
for d in /usr/share/vellumark /usr/share/doc/vellumark; do [[ -e $d ]] && left+=" $d"; done
[[ -z $left ]] || fail "left behind after removal:$left"
echo "package checks passed: $(wc -l <<<"$files") files installed and removed"
