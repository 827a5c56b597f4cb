#!/usr/bin/env bash
# Runs the test program given as $1 against a print scheduler of its own: a private cupsd on
# a socket in a temporary folder, with a cups-pdf queue as its default printer, and a second
# queue, CalvorigneFails, whose printer takes every job and aborts it while the file
# $CALVORIGNE_FAIL_FLAG exists. Nothing of
# the machine's own print setup is read or changed; the scheduler and its folder go at the end.
# With a second program, $1 is the Windows build: it prints under Wine, and $2, the Linux
# build of the same test, reads back the PDFs.
set -euo pipefail
test_program=$1
checker=${2:-}
for tool in /usr/sbin/cupsd /usr/sbin/lpadmin /usr/lib/cups/backend/cups-pdf /usr/bin/pdftotext; do
    [ -x "$tool" ] || { echo "missing $tool: run ./scripts/test, which installs it"; exit 1; }
done
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd

# cups-pdf writes a job into the PDF folder of its owner's home.
export CALVORIGNE_PDF_DIR="$(getent passwd "$(id -un)" | cut -d: -f6)/PDF"
pdf_dir_existed=no
[ -d "$CALVORIGNE_PDF_DIR" ] && pdf_dir_existed=yes

dir=$(mktemp -d /tmp/calvorigne-cups.XXXXXX)
cleanup() {
    [ -f "$dir/pid" ] && kill "$(cat "$dir/pid")" 2>/dev/null && sleep 0.5
    rm -rf "$dir"
    [ $pdf_dir_existed = yes ] || rmdir "$CALVORIGNE_PDF_DIR" 2>/dev/null || true
}
trap cleanup EXIT
mkdir -p "$dir"/{spool,cache,log,state,tmp,bin/backend}
chmod 755 "$dir"
chmod 1777 "$dir/tmp"

# The system's filters and cups-pdf, and a printer of the test's own.
for part in /usr/lib/cups/*; do
    [ "$(basename "$part")" = backend ] || ln -s "$part" "$dir/bin/"
done
ln -s /usr/lib/cups/backend/cups-pdf "$dir/bin/backend/"
export CALVORIGNE_FAIL_FLAG="$dir/fail"
cat > "$dir/bin/backend/calvorigne" <<BACKEND
#!/bin/sh
[ \$# -eq 0 ] && { echo 'direct calvorigne "Unknown" "Calvorigne test printer"'; exit 0; }
cat \${6:-} > /dev/null
[ -e "$CALVORIGNE_FAIL_FLAG" ] && { echo "ERROR: bourrage papier" >&2; exit 1; }
exit 0
BACKEND
chmod 755 "$dir/bin/backend/calvorigne"

cat > "$dir/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
Browsing Off
WebInterface No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order allow,deny
    Allow all
  </Limit>
</Policy>
CONF
cat > "$dir/cups-files.conf" <<CONF
ServerRoot $dir
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
ErrorLog $dir/log/error_log
AccessLog $dir/log/access_log
PageLog $dir/log/page_log
ServerBin $dir/bin
DataDir /usr/share/cups
SystemGroup root
CONF

/usr/sbin/cupsd -f -c "$dir/cupsd.conf" -s "$dir/cups-files.conf" &
echo $! > "$dir/pid"
for _ in $(seq 100); do [ -S "$dir/cups.sock" ] && break; sleep 0.1; done

export CUPS_SERVER="$dir/cups.sock"
export PRINTER=CalvorigneTest
# The pdftocairo renderer keeps the text as text, so it can be read back.
lpadmin -p "$PRINTER" -E -v cups-pdf:/ -P "$ppd" -o pdftops-renderer-default=pdftocairo 2>/dev/null
lpadmin -d "$PRINTER"
lpadmin -p CalvorigneFails -E -v calvorigne:/ -P "$ppd" -o printer-error-policy=abort-job

export CALVORIGNE_TEST_PPD="$dir/ppd/$PRINTER.ppd"
failed() { cat "$dir/log/error_log"; exit 1; }
if [ -z "$checker" ]; then
    "$test_program" || failed
else
    since=$(date +%s%3N)
    CALVORIGNE_CUPS_STEP=print "$(dirname "$0")/wine.sh" "$test_program" || failed
    CALVORIGNE_CUPS_STEP=check CALVORIGNE_SINCE=$since QT_QPA_PLATFORM=offscreen "$checker" || failed
fi
