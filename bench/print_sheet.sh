#!/usr/bin/env bash
# Times printing a full sheet of template 20 (30 areas) at 600 dpi with
# photographs, through the built-in PDF printer and through the CUPS queue
# VelamorPDF (scripts/cups-start.sh), and reports the spool size.
#
# Usage: bench/print_sheet.sh [BUILD_DIR]
#   BUILD_DIR holds bin/velamor-cli, ideally a Release build
#   (default build-release; cmake -DCMAKE_BUILD_TYPE=Release, target velamor-cli).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build-release}
CLI=$BUILD/bin/velamor-cli
[ -x "$CLI" ] || { echo "no $CLI" >&2; exit 1; }
WORK=$(mktemp -d /tmp/velamor-bench-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME"

# 30 photographs of 3000 x 2000 pixels (6 motifs, each used 5 times).
for m in 1 2 3 4 5 6; do
  convert -size 1500x1000 -seed $m plasma:fractal -blur 0x1 -resize 3000x2000\! \
    -quality 90 "$WORK/motif$m.jpg"
done
files=()
for i in $(seq 0 29); do
  cp "$WORK/motif$(( i % 6 + 1 )).jpg" "$WORK/p$i.jpg"
  files+=("$WORK/p$i.jpg")
done

run() { # label, args...
  local label=$1; shift
  local start end out
  start=$(date +%s.%N)
  out=$("$CLI" print --template 20 "$@" "${files[@]}")
  end=$(date +%s.%N)
  printf '%-36s %6.2f s   %s\n' "$label" "$(echo "$end - $start" | bc)" "$out"
}

run "PDF printer, pictures turned" --pdf "$WORK/sheet.pdf" --autorotate
run "PDF printer, pictures cut out" --pdf "$WORK/sheet.pdf"

if SERVER=$(bash scripts/cups-start.sh 2>/dev/null); then
  export CUPS_SERVER=$SERVER
  OUTDIR=${VELAMOR_CUPS_PDF_OUT:-/var/spool/cups-pdf-velamor}
  lpadmin -h "$SERVER" -p VelamorPDF -o Resolution=600dpi
  for mode in --autorotate ""; do
    token="vbench$$${mode:+r}"
    start=$(date +%s.%N)
    VELAMOR_JOB_TITLE=$token run "CUPS VelamorPDF ${mode:-(cut out)}" --printer VelamorPDF $mode
    f=""
    for _ in $(seq 1 1200); do
      f=$(ls "$OUTDIR"/*"$token"*.pdf 2>/dev/null | head -n1 || true)
      if [ -n "$f" ] && [ -z "$(lpstat -h "$SERVER" -o VelamorPDF 2>/dev/null)" ]; then
        break
      fi
      sleep 0.1
    done
    end=$(date +%s.%N)
    printf '  until cups-pdf had written it: %.2f s, its PDF: %s bytes\n' \
      "$(echo "$end - $start" | bc)" "$( [ -n "$f" ] && stat -c %s "$f" || echo '?')"
    [ -n "$f" ] && rm -f "$f"
  done
  lpadmin -h "$SERVER" -p VelamorPDF -o Resolution=300dpi
fi
