#!/usr/bin/env bash
# Installs Calvorigne-setup.exe ($1) silently under Wine, in a Wine prefix of its own, checks
# the program, the Start-menu entry and the uninstaller's registration, then uninstalls it and
# checks that nothing of it is left.
set -euo pipefail
setup=$1
wine=/usr/lib/wine/wine64
export WINEPREFIX=$(mktemp -d /tmp/calvorigne-wine.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
"$wine" wineboot -i >/dev/null 2>&1
fail() { echo "FAIL: $*"; exit 1; }
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Calvorigne'
program="$WINEPREFIX/drive_c/Program Files/Calvorigne"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Calvorigne.lnk"
raffle="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Calvorigne – suivi de la tombola.lnk"

"$wine" "$setup" /S
/usr/lib/wine/wineserver -w
[ -f "$program/Calvorigne.exe" ] || fail "no Calvorigne.exe in Program Files"
[ -f "$program/Uninstall.exe" ] || fail "no uninstaller"
[ -f "$menu" ] || fail "no Start-menu entry"
[ -f "$raffle" ] || fail "no Start-menu entry for the raffle: $(ls "$(dirname "$menu")")"
tr -d '\0' <"$raffle" | grep -qa -- "--tombola" || fail "the raffle's entry does not open it"
"$wine" reg query "$key" /v DisplayName 2>/dev/null | grep -q Calvorigne || fail "uninstaller not registered"

# The uninstaller copies itself away and runs from there: wait for every process to end.
"$wine" "$program/Uninstall.exe" /S
/usr/lib/wine/wineserver -w
[ ! -e "$program" ] || fail "Program Files\\Calvorigne left behind: $(ls "$program")"
[ ! -e "$menu" ] || fail "Start-menu entry left behind"
[ ! -e "$raffle" ] || fail "raffle's Start-menu entry left behind"
if "$wine" reg query "$key" >/dev/null 2>&1; then fail "uninstaller registration left behind"; fi
echo "installed and uninstalled cleanly"
