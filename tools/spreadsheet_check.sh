#!/usr/bin/env bash
# The spreadsheet leg: a generated motion of a few hundred keys of every kind, Japanese names
# among them, goes through LibreOffice Calc as a user's edit would. Exported to CSV, opened in
# Calc as Shift-JIS text (comma only, no text delimiter), saved as .xlsx, reopened, saved back
# as CSV in Shift-JIS, and imported: the import succeeds, and every name, frame, interpolation
# byte and camera-tail byte is the original's. Expects the Linux build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v soffice >/dev/null; then
  echo "== Spreadsheet leg skipped: LibreOffice Calc (libreoffice-calc-nogui) is not installed"
  exit 0
fi
echo "== Spreadsheet round trip through $(soffice --version | head -n 1)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
calc() { # filter-or-empty target-format outdir file
  soffice --headless --norestore "-env:UserInstallation=file://$work/profile" ${1:+"--infilter=$1"} \
    --convert-to "$2" --outdir "$3" "$4" >/dev/null 2>&1
}

build/qlx_make_motion 300 "$work/take.qlx" 300 300 300
build/QLXConverter "$work/take.qlx" >/dev/null 2>&1
cp "$work/take.csv" "$work/original.csv"
calc "CSV:44,,64,1" xlsx "$work/xlsx" "$work/take.csv"
calc "" "csv:Text - txt - csv (StarCalc):44,34,64" "$work/saved" "$work/xlsx/take.xlsx"
cp "$work/saved/take.csv" "$work/edited.csv"
status=0
build/QLXConverter "$work/edited.csv" >/dev/null 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  echo "FAILED: the CSV that Calc saved imports with status $status"
  exit 1
fi
build/QLXConverter "$work/edited.qlx" >/dev/null 2>&1

# Compares the original's rows with the round trip's, column by column where Calc may not
# change a byte: the header rows and the counts whole, then per section the names, frames and
# hex columns (bone 1 2 9, morph 1 2, camera 1 9, light 1).
LC_ALL=C awk -F, -v RS='\r\n' '
  NR == FNR { original[FNR] = $0; rows = FNR; next }
  function differ(what) { printf "FAILED: row %d, %s: %s | %s\n", FNR, what, original[FNR], $0; bad++ }
  {
    split(original[FNR], o, ",")
    if (FNR <= 2 || left == 0) {
      if ($0 != original[FNR]) differ("header or count")
      if (FNR > 2) { left = $1 + 0; section++ }
      next
    }
    left--
    columns = section == 1 ? "1 2 9" : section == 2 ? "1 2" : section == 3 ? "1 9" : "1"
    n = split(columns, c, " ")
    for (i = 1; i <= n; i++) if ($c[i] != o[c[i]]) differ("column " c[i])
  }
  END {
    if (FNR != rows) { printf "FAILED: %d rows, not %d\n", FNR, rows; bad++ }
    if (bad) exit 1
    printf "ok: %d rows through Calc keep every name, frame and hex column\n", rows
  }' "$work/original.csv" "$work/edited.csv"
