#!/usr/bin/env bash
# Runs a Windows test program under Wine, in a Wine prefix of its own that goes at the end.
# The user is named with an accent, so the profile, Documents and VirtualStore paths have one.
# Windows get Qt's Windows platform on a private X server (Wine keeps QT_* variables away
# from Windows programs, so the offscreen platform cannot be asked for).
set -euo pipefail
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "missing $wine: run ./scripts/test, which installs wine64"; exit 1; }
export WINEPREFIX=$(mktemp -d /tmp/calvorigne-wine.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEUSERNAME="Hélène"
cleanup() {
    [ -n "${pid:-}" ] && kill "$pid" 2>/dev/null || true
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
# Wine hands nothing of a Windows program's console output back, so a test writes its report
# to a file (-o name,txt), shown here for CTest to keep.
reports=()
previous=""
for argument in "$@"; do
    [ "$previous" = "-o" ] && [ "${argument%,txt}" != "$argument" ] && reports+=("${argument%,txt}")
    previous=$argument
done
rm -f "${reports[@]}"
"$wine" wineboot -i >/dev/null 2>&1
"$wine" "$@" &
pid=$!
status=0
wait "$pid" || status=$?
for report in "${reports[@]}"; do
    [ -f "$report" ] && cat "$report"
done
exit "$status"
