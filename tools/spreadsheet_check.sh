#!/usr/bin/env bash
# The spreadsheet leg: a generated motion of a few hundred keys of every kind, Japanese names
# among them, names holding commas and quotes, and bytes after the light keys, goes through
# LibreOffice Calc as a user's edit would. Exported to CSV, opened in Calc with its default text
# delimiter (comma separated, Shift-JIS), saved as .xlsx, reopened and saved back as CSV, in
# Shift-JIS, in UTF-8, and with every text cell quoted; each save imports with status 0, and
# every name, frame, interpolation byte, camera-tail byte and byte after the lights is the
# original's. Expects the Linux build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v soffice >/dev/null; then
  echo "skipped: LibreOffice Calc (libreoffice-calc-nogui) is not installed"
  exit 77
fi
echo "through $(soffice --version | head -n 1)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
calc() { # filter-or-empty target-format outdir file
  soffice --headless --norestore "-env:UserInstallation=file://$work/profile" ${1:+"--infilter=$1"} \
    --convert-to "$2" --outdir "$3" "$4" >/dev/null 2>&1
}
convert() { build/QLXConverter "$@" >/dev/null 2>&1; }

# The motion: generated, then its key_1 and key_2 names given a comma and quotes, and bytes
# appended after its light keys.
build/qlx_make_motion 300 "$work/made.qlx" 300 300 300
convert "$work/made.qlx"
sed -e 's/^key_1,/"key,""1""",/' -e 's/^key_2,/"""key 2""",/' "$work/made.csv" >"$work/take.csv"
convert "$work/take.csv"
printf 'after\0the lights,"\r\n\377' >>"$work/take.qlx"
convert "$work/take.qlx"
cp "$work/take.csv" "$work/original.csv"
calc "CSV:44,34,64,1" xlsx "$work/xlsx" "$work/take.csv"

# Compares the exports of the original and of the round trip, row by row, where Calc may not
# change a byte: the header, model name, count and tail rows whole, and per section the names,
# frames and hex columns (bone 1 2 9, morph 1 2, camera 1 9, light 1).
compare() {
  python3 - "$1" "$2" <<'EOF'
import csv, sys
def rows(path):
    with open(path, newline="", encoding="latin-1") as f:
        return list(csv.reader(f))
original, back = rows(sys.argv[1]), rows(sys.argv[2])
bad = 0
if len(original) != len(back):
    print("FAILED: %d rows, not %d" % (len(back), len(original))); sys.exit(1)
columns = {1: [0, 1, 8], 2: [0, 1], 3: [0, 8], 4: [0]}
section, left = 0, 0
for i, (o, b) in enumerate(zip(original, back)):
    if i < 2 or left == 0:
        whole = o == b
        if i >= 2 and section < 4:
            left, section = int(o[0]), section + 1
    else:
        left -= 1
        whole = all(o[c] == b[c] for c in columns[section])
    if not whole:
        bad += 1
        print("FAILED: row %d: %r | %r" % (i + 1, o, b))
if bad:
    sys.exit(1)
print("ok: %d rows keep every name, frame, hex column and tail byte" % len(original))
EOF
}

status=0
# Calc's save options after the separator and the delimiter: the character set, and whether
# every text cell is quoted.
for save in "64:Shift-JIS" "76:UTF-8" "64,1,,0,true:Shift-JIS, every text quoted"; do
  rm -rf "$work/saved"
  calc "" "csv:Text - txt - csv (StarCalc):44,34,${save%%:*}" "$work/saved" "$work/xlsx/take.xlsx"
  cp "$work/saved/take.csv" "$work/edited.csv"
  result=0
  convert "$work/edited.csv" || result=$?
  if [ "$result" -ne 0 ]; then
    echo "FAILED: the CSV that Calc saved as ${save#*:} imports with status $result"
    status=1
    continue
  fi
  convert "$work/edited.qlx"
  echo -n "${save#*:}: "
  compare "$work/original.csv" "$work/edited.csv" || status=1
done
exit "$status"
