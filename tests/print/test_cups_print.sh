#!/bin/bash
# A real print job: a CUPS server of the test's own (private socket, its own
# configuration and spool) with a cups-pdf queue as its default printer. The
# program prints the registration form through 报名表样表(A4); the job must
# reach the queue, and its PDF must come out in the queue's output folder.
# Skipped (exit 77) when cupsd, cups-pdf, pdfinfo or root rights are missing.
#
# usage: test_cups_print.sh KORVANE SHARE_DIR
set -uo pipefail
korvane=$1
share=$2

skip() { echo "skipped: $*"; exit 77; }
[ -x /usr/sbin/cupsd ] || skip "cupsd is not installed"
[ -e /usr/lib/cups/backend/cups-pdf ] || skip "printer-driver-cups-pdf is not installed"
ppd=$(ls /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/*.ppd 2>/dev/null | head -n1)
[ -n "$ppd" ] || skip "no cups-pdf PPD"
command -v pdfinfo >/dev/null || skip "poppler-utils is not installed"
# cups-pdf runs only as root (its backend is mode 0700), so the server must too.
[ "$(id -u)" -eq 0 ] || skip "a CUPS server with the cups-pdf backend needs root"

work=$(mktemp -d)
cupsd_pid=""
cleanup() {
  [ -n "$cupsd_pid" ] && kill "$cupsd_pid" 2>/dev/null && wait "$cupsd_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# The job's PDF lands in the output folder of /etc/cups/cups-pdf.conf ("Out",
# by default ~/PDF of the job's user) under the job's title.
home=$(getent passwd "$(id -un)" | cut -d: -f6)
out_dir=$(sed -n 's/^Out[[:space:]]\+//p' /etc/cups/cups-pdf.conf 2>/dev/null | tail -n1)
out_dir=${out_dir:-'${HOME}/PDF'}
out_dir=${out_dir//'${HOME}'/$home}
out_dir=${out_dir//'${USER}'/$(id -un)}
mkdir -p "$out_dir"
stamp="$work/stamp"
touch "$stamp"

mkdir -p "$work"/{root,spool,cache,state,log,tmp,meets,program,config}
cat > "$work/root/cupsd.conf" <<EOF
Listen $work/cups.sock
Browsing Off
WebInterface No
LogLevel warn
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
EOF
cat > "$work/root/cups-files.conf" <<EOF
ServerRoot $work/root
RequestRoot $work/spool
CacheDir $work/cache
StateDir $work/state
TempDir $work/tmp
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
Sandboxing Relaxed
EOF
chmod 755 "$work"
/usr/sbin/cupsd -f -c "$work/root/cupsd.conf" -s "$work/root/cups-files.conf" &
cupsd_pid=$!
export CUPS_SERVER="$work/cups.sock"
for _ in $(seq 50); do
  lpstat -r >/dev/null 2>&1 && break
  sleep 0.2
done
lpstat -r >/dev/null 2>&1 || { cat "$work/log/error_log" 2>/dev/null; echo "FAIL: the private cupsd did not start"; exit 1; }
lpadmin -p korvane-pdf -E -v cups-pdf:/ -P "$ppd" 2>"$work/lpadmin.err" || { cat "$work/lpadmin.err"; echo "FAIL: lpadmin"; exit 1; }
lpadmin -d korvane-pdf || { echo "FAIL: lpadmin -d"; exit 1; }

cp -r "$share/." "$work/program/"
cat > "$work/print.kvs" <<EOF
Initialization
Save
Close
folder $work/meets
New
answer yes
MyPrint1
EOF
unset KORVANE_PRINTER
(cd "$work" && KORVANE_PROGRAM_DIR="$work/program" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
  KORVANE_NOW=2026-12-07T09:30:00 "$korvane" run "$work/print.kvs" > "$work/out" 2> "$work/err") || {
  echo "FAIL: the script failed"; cat "$work/err"; exit 1; }
expected="printed: $work/meets/报名表样表.pdf (1 pages) -> korvane-pdf"
grep -qxF "$expected" "$work/out" || { echo "FAIL: expected '$expected' in:"; cat "$work/out"; exit 1; }

# Wait for the queue to finish the job, then find its PDF.
for _ in $(seq 150); do
  [ -z "$(lpstat -o korvane-pdf 2>/dev/null)" ] && break
  sleep 0.2
done
found=""
for _ in $(seq 50); do
  found=$(find "$out_dir" -maxdepth 1 -name '*.pdf' -newer "$stamp" 2>/dev/null | head -n1)
  [ -n "$found" ] && break
  sleep 0.2
done
if [ -z "$found" ]; then
  echo "FAIL: no PDF from the queue in $out_dir"
  lpstat -W completed -o 2>/dev/null
  tail -n 20 "$work/log/error_log" 2>/dev/null
  exit 1
fi
pages=$(pdfinfo "$found" 2>/dev/null | sed -n 's/^Pages:[[:space:]]*//p')
rm -f "$found"
[ "$pages" = 1 ] || { echo "FAIL: the queue's PDF has '$pages' pages"; exit 1; }
echo "ok: the job went through korvane-pdf to $found"
