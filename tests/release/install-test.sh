#!/usr/bin/env bash
# The installer's round trip under Wine, in a prefix of its own:
#   1. a silent install puts the files, the Start-menu shortcut, the .rar
#      association and the uninstall entry in place;
#   2. opening a .rar through the association starts Quillet on it;
#   3. a silent uninstall with /REMOVESETTINGS leaves the user folders and
#      HKCU\Software exactly as before, the .rar handler that was there before
#      included;
#   4. a second round: while Quillet runs, neither the uninstaller nor the
#      installer goes on; a .rar handler that took over after the install is
#      left alone, and without /REMOVESETTINGS the settings stay.
# Usage: install-test.sh BUILD_DIR. Every wait has a timeout.
set -euo pipefail

top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

export QUILLET_WINEPREFIX=$build/wineprefix-release
. "$top/scripts/wine-env.sh"
# No menu entries or MIME types for the Linux desktop from the shortcut and the association.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

work=$build/release-test
class=Quillet.MainWindow.ID5224875
classes='HKCU\Software\Classes'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet'
settings_key='HKCU\SOFTWARE\Tarnfield\Quillet'
other_handler=QuilletTest.OtherArchiver
newer_handler=QuilletTest.NewerArchiver
clean_mark=$WINEPREFIX/.quillet-release-clean

started=$SECONDS
step() { echo "[$((SECONDS - started))s] $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
finish() {
    local status=$?
    # Only this test's prefix: its server and every process in it.
    wineserver -k 2>/dev/null || true
    if [ $status = 0 ]; then touch "$clean_mark"; fi
    exit $status
}
trap finish EXIT

# A run that failed half-way may have left Quillet behind: start from a new prefix then.
if [ -d "$WINEPREFIX" ] && [ ! -f "$clean_mark" ]; then
    step "removing the prefix a failed run left"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
fi
rm -f "$clean_mark"
step "preparing the prefix"
wine_prepare

w() { timeout --kill-after=5 "$1" wine "${@:2}"; }
# The uninstaller hands over to a copy of itself and returns at once: wait for
# every process of the prefix to end.
settle() { timeout --kill-after=5 60 wineserver -w || fail "Wine processes still running after 60 s"; }

# reg_value KEY [NAME]: the data of a value (the default one without NAME); fails if absent.
reg_value() {
    local out
    if [ $# -ge 2 ]; then out=$(w 20 reg query "$1" /v "$2" 2>/dev/null) || return 1
    else out=$(w 20 reg query "$1" /ve 2>/dev/null) || return 1; fi
    printf '%s\n' "$out" | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    \{0,1\}//p' | head -n 1
}
expect_value() { # KEY NAME|"" EXPECTED
    local got
    if [ -n "$2" ]; then got=$(reg_value "$1" "$2") || fail "$1 has no value $2"
    else got=$(reg_value "$1") || fail "$1 has no default value"; fi
    [ "$got" = "$3" ] || fail "$1 ${2:-(default)} is '$got', expected '$3'"
}
key_exists() { w 20 reg query "$1" >/dev/null 2>&1; }

# The state the uninstaller must give back: the user folders, less the
# uninstaller's own copy in %TEMP% (an NSIS uninstaller runs from there and
# cannot delete the file it runs from), and HKCU\Software.
snapshot() {
    (cd "$WINEPREFIX/drive_c/users" && find . -path './*/Temp/~nsu*.tmp' -prune -o -print | sort) >"$work/$1.files"
    w 30 reg export 'HKCU\Software' "$(winepath -w "$work/$1.reg")" /y >/dev/null ||
        fail "reg export failed"
    iconv -f UTF-16 -t UTF-8 "$work/$1.reg" | tr -d '\r' >"$work/$1.txt"
}
expect_unchanged() {
    diff -u "$work/before.files" "$work/$1.files" || fail "files differ from before the install"
    diff -u "$work/before.txt" "$work/$1.txt" || fail "HKCU\\Software differs from before the install"
}

step "making the artefacts"
rm -rf "$work"
mkdir -p "$work/My Archives"
"$top/dist/make-artefacts.sh" "$build" "$work/out" >/dev/null
setup=$(echo "$work"/out/Quillet-*-setup.exe)
[ -f "$setup" ] || fail "no installer was made"
version=${setup##*/Quillet-}
version=${version%-setup.exe}
# An archive with a blank in its path, so that the association's quoting counts.
echo "Quillet install test" >"$work/readme.txt"
rar a -idq -ep1 "$work/My Archives/install test.rar" "$work/readme.txt"
archive=$(winepath -w "$work/My Archives/install test.rar")

# Every Windows has these; a new Wine prefix has not. A handler of .rar that
# was there before Quillet.
w 20 reg add "$classes" /f >/dev/null
w 20 reg add "$classes\\$other_handler\\shell\\open\\command" /ve /d 'notepad.exe "%1"' /f >/dev/null
w 20 reg add "$classes\\.rar" /ve /d "$other_handler" /f >/dev/null
snapshot before

local_appdata=$(w 20 cmd /c 'echo %LOCALAPPDATA%' | tr -d '\r')
appdata=$(w 20 cmd /c 'echo %APPDATA%' | tr -d '\r')
install_dir="$local_appdata\\Programs\\Quillet"
install_dir_unix=$(winepath -u "$install_dir")
shortcut_unix=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Quillet.lnk")

# --- 1. Silent install --------------------------------------------------------
step "installing silently"
w 60 "$setup" /S || fail "the installer failed"
for file in Quillet.exe unrar.dll license-unrar.txt README.txt uninstall.exe; do
    [ -f "$install_dir_unix/$file" ] || fail "$file was not installed in $install_dir"
done
[ -f "$shortcut_unix" ] || fail "no Start-menu shortcut at $shortcut_unix"
grep -qa 'Q.u.i.l.l.e.t...e.x.e' "$shortcut_unix" || fail "the shortcut does not name Quillet.exe"

command="\"$install_dir\\Quillet.exe\" -o \"%1\""
expect_value "$classes\\.rar" "" Quillet.rar
w 20 reg query "$classes\\.rar\\OpenWithProgids" /v Quillet.rar >/dev/null 2>&1 ||
    fail ".rar's OpenWithProgids lacks Quillet.rar"
expect_value "$classes\\Quillet.rar\\shell\\open\\command" "" "$command"
expect_value "$classes\\Quillet.rar\\DefaultIcon" "" "\"$install_dir\\Quillet.exe\",0"
expect_value "$uninstall_key" DisplayName Quillet
expect_value "$uninstall_key" DisplayVersion "$version"
expect_value "$uninstall_key" Publisher "The Quillet project"
expect_value "$uninstall_key" InstallLocation "$install_dir"
expect_value "$uninstall_key" DisplayIcon "$install_dir\\Quillet.exe,0"
expect_value "$uninstall_key" UninstallString "\"$install_dir\\uninstall.exe\""
expect_value "$uninstall_key" QuietUninstallString "\"$install_dir\\uninstall.exe\" /S"
expect_value "$uninstall_key" NoModify 0x1
expect_value "$uninstall_key" NoRepair 0x1

# --- 2. Open a .rar through the association -------------------------------------
# Windows merges HKCU\Software\Classes into HKEY_CLASSES_ROOT; Wine's shell looks
# only at the machine's classes. Mirror the user's two keys there for the lookup.
step "opening the archive through the association"
w 20 reg copy "$classes\\.rar" 'HKLM\Software\Classes\.rar' /s /f >/dev/null
w 20 reg copy "$classes\\Quillet.rar" 'HKLM\Software\Classes\Quillet.rar' /s /f >/dev/null
timeout --kill-after=5 40 wine start /wait "$archive" >/dev/null 2>&1 &
opened=$!
title=$(w 40 "$build/bin/WindowControl.exe" wait "$class" 30000 | tr -d '\r') || true
w 20 "$build/bin/WindowControl.exe" close "$class" >/dev/null 2>&1 || true
wait "$opened" || true
settle
[ "$title" = "Quillet - [$archive]" ] || fail "the window's title is '$title', expected 'Quillet - [$archive]'"
step "Quillet's window: $title"
w 20 reg delete 'HKLM\Software\Classes\.rar' /f >/dev/null
w 20 reg delete 'HKLM\Software\Classes\Quillet.rar' /f >/dev/null
key_exists "$settings_key\\Settings" || fail "Quillet saved no settings on closing"

# --- 3. Silent uninstall, settings included -------------------------------------
step "uninstalling silently with /REMOVESETTINGS"
w 60 "$install_dir_unix/uninstall.exe" /S /REMOVESETTINGS || fail "the uninstaller failed"
settle
snapshot after
expect_unchanged after

# --- 4. Another handler took .rar over; settings kept ---------------------------
step "installing again, then another program takes .rar over"
w 60 "$setup" /S || fail "the second install failed"
expect_value "$classes\\.rar" "" Quillet.rar
w 20 reg add "$classes\\.rar" /ve /d "$newer_handler" /f >/dev/null
w 20 reg add "$settings_key\\Settings" /v OpenFile /t REG_DWORD /d 0 /f >/dev/null
step "Quillet running: the uninstaller and the installer refuse and change nothing"
timeout --kill-after=5 60 wine "$install_dir_unix/Quillet.exe" >/dev/null 2>&1 &
running=$!
w 40 "$build/bin/WindowControl.exe" wait "$class" 30000 >/dev/null || fail "Quillet's window did not show"
# In place (_?=), so that the exit code is the uninstaller's own, not its launcher's.
status=0
w 60 "$install_dir_unix/uninstall.exe" /S "_?=$install_dir" || status=$?
[ $status = 2 ] || fail "the uninstaller ended with $status while Quillet ran, expected 2"
[ -f "$install_dir_unix/Quillet.exe" ] || fail "the uninstaller removed Quillet.exe while it ran"
key_exists "$uninstall_key" || fail "the uninstaller removed its entry while Quillet ran"
status=0
w 60 "$setup" /S || status=$?
[ $status = 2 ] || fail "the installer ended with $status while Quillet ran, expected 2"
w 20 "$build/bin/WindowControl.exe" close "$class" >/dev/null 2>&1 || true
wait "$running" || true
expect_value "$classes\\.rar" "" "$newer_handler"
step "uninstalling silently without /REMOVESETTINGS"
w 60 "$install_dir_unix/uninstall.exe" /S || fail "the second uninstall failed"
settle
expect_value "$classes\\.rar" "" "$newer_handler"
expect_value "$settings_key\\Settings" OpenFile 0x0
! key_exists "$classes\\Quillet.rar" || fail "the Quillet.rar class is still there"
! key_exists "$uninstall_key" || fail "the uninstall entry is still there"
[ ! -e "$install_dir_unix" ] || fail "$install_dir is still there"
[ ! -e "$shortcut_unix" ] || fail "the Start-menu shortcut is still there"
# Leave the prefix as it was, for the next run.
w 20 reg add "$classes\\.rar" /ve /d "$other_handler" /f >/dev/null
w 20 reg delete 'HKCU\SOFTWARE\Tarnfield' /f >/dev/null
snapshot end
expect_unchanged end
rm -rf "$WINEPREFIX"/drive_c/users/*/Temp/~nsu*.tmp

step "passed"
