#!/usr/bin/env bash
# Starts a private CUPS server with one cups-pdf queue "VelamorPDF" for the
# printing tests, and prints the server's address (for CUPS_SERVER) on stdout.
#
# Idempotent and quick: when the private server already answers and the queue
# exists, nothing is changed. Without root rights (or when the private server
# cannot start) it falls back to the system's CUPS server and adds the queue
# there if it may.
#
# Environment:
#   VELAMOR_CUPS_DIR  state folder of the private server (default /tmp/velamor-cups)
#   VELAMOR_CUPS_PORT  TCP port of the private server on 127.0.0.1 (default 6631)
#   VELAMOR_CUPS_PDF_OUT  folder cups-pdf writes into (default /var/spool/cups-pdf-velamor)
set -uo pipefail

# The private server needs root; use sudo when it asks for no password.
if [ "$(id -u)" != 0 ] && command -v sudo >/dev/null && sudo -n true 2>/dev/null; then
  exec sudo -n -E bash "$0" "$@"
fi

DIR=${VELAMOR_CUPS_DIR:-/tmp/velamor-cups}
OUT=${VELAMOR_CUPS_PDF_OUT:-/var/spool/cups-pdf-velamor}
QUEUE=VelamorPDF
SOCK=$DIR/cups.sock
PORT=${VELAMOR_CUPS_PORT:-6631}
# Clients reach the private server over TCP: its PPDs are only served there.
SERVER=127.0.0.1:$PORT
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd

log() { echo "cups-start: $*" >&2; }

running() { lpstat -h "$1" -r 2>/dev/null | grep -q "is running"; }

have_queue() { lpstat -h "$1" -p "$QUEUE" >/dev/null 2>&1; }

add_queue() { # server
  local server=$1
  if [ ! -r "$PPD" ]; then
    PPD=$(ls /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -n1)
  fi
  if [ -z "$PPD" ]; then
    log "no cups-pdf driver installed (printer-driver-cups-pdf)"
    return 1
  fi
  lpadmin -h "$server" -p "$QUEUE" -E -v "cups-pdf:/velamor" -P "$PPD" \
    -o printer-is-shared=false -o PageSize=A4 >&2 || return 1
  cupsenable -h "$server" "$QUEUE" >&2 2>/dev/null || true
  cupsaccept -h "$server" "$QUEUE" >&2 2>/dev/null || true
}

# cups-pdf reads the configuration of the instance "velamor" (device URI
# cups-pdf:/velamor) from its own file next to the system's cups-pdf.conf.
write_cups_pdf_conf() {
  local conf=/etc/cups/cups-pdf-velamor.conf
  mkdir -p "$OUT" && chmod 1777 "$OUT"
  if [ ! -f "$conf" ] || ! grep -q "^Out $OUT\$" "$conf"; then
    cat >"$conf" <<CONF
# Written by Kestrelon Velamor's scripts/cups-start.sh for the printing tests.
Out $OUT
AnonDirName $OUT
Label 1
UserUMask 0000
AnonUMask 0000
Grp lp
CONF
  fi
}

start_private() {
  mkdir -p "$DIR/etc/ppd" "$DIR/spool/tmp" "$DIR/cache" "$DIR/state" "$DIR/log"
  chmod 755 "$DIR" "$DIR/etc"
  cat >"$DIR/etc/cups-files.conf" <<CONF
ServerRoot $DIR/etc
RequestRoot $DIR/spool
TempDir $DIR/spool/tmp
CacheDir $DIR/cache
StateDir $DIR/state
ErrorLog $DIR/log/error_log
AccessLog $DIR/log/access_log
PageLog $DIR/log/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
User lp
Group lp
SystemGroup root lpadmin
FileDevice No
CONF
  cat >"$DIR/etc/cupsd.conf" <<CONF
LogLevel warn
Listen $SOCK
Listen $SERVER
Browsing No
WebInterface No
DefaultAuthType None
MaxJobs 0
PreserveJobHistory No
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
  cupsd -c "$DIR/etc/cupsd.conf" -s "$DIR/etc/cups-files.conf" || return 1
  for _ in $(seq 1 50); do
    running "$SERVER" && return 0
    sleep 0.1
  done
  return 1
}

if [ "$(id -u)" = 0 ] && command -v cupsd >/dev/null; then
  write_cups_pdf_conf
  if ! { running "$SERVER"; }; then
    start_private || log "the private CUPS server did not start"
  fi
  if running "$SERVER"; then
    have_queue "$SERVER" || add_queue "$SERVER" || log "could not add $QUEUE"
    echo "$SERVER"
    exit 0
  fi
fi

# Fallback: the system's server.
SERVER=${CUPS_SERVER:-localhost}
if ! running "$SERVER"; then
  log "no CUPS server answers at $SERVER"
  exit 1
fi
have_queue "$SERVER" || add_queue "$SERVER" || { log "could not add $QUEUE"; exit 1; }
echo "$SERVER"
