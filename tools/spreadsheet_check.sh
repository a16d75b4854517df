#!/usr/bin/env bash
# The spreadsheet leg: a generated motion of a few hundred keys of every kind, Japanese names
# among them, names holding commas and quotes, names a spreadsheet would take for a formula, a
# number, a date or a truth value, and bytes after the light keys, goes through LibreOffice Calc
# and Gnumeric as a user's edit would. Exported to CSV, opened in Calc with the README's settings,
# saved as .xlsx (which must hold no formula), reopened and saved back as CSV in Shift-JIS, in
# UTF-8, with every text cell quoted, as "Unicode" (UTF-16), and with semicolons and decimal
# commas as Calc set to German saves; opened in Gnumeric (no formula either) and saved as
# Shift-JIS, with tabs, and with semicolons in UTF-16. Each save imports with status 0, and its
# motion exported again is the original's CSV byte for byte (every value, rotation and byte comes
# back), but for a -0 the spreadsheet saved as 0 and the one bone angle edited before the
# spreadsheet opened the file, whose row takes the edited angle.
# Gnumeric is skipped with a message where it is missing. Expects the Linux build in build/.
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

# The motion: generated (its names are Japanese, or key_5 to key_99), then some names given a
# comma and quotes, or made what a spreadsheet reads otherwise, the model name a formula, and
# bytes appended after its light keys.
build/qlx_make_motion 300 "$work/made.qlx" 300 300 300
convert "$work/made.qlx"
sed -e 's/^key_5,/"key,""5""",/' -e 's/^key_6,/"""key 6""",/' -e 's/^key_7,/=1+2,/' \
  -e 's/^key_8,/001,/' -e 's|^key_9,|1/2,|' -e 's/^key_10,/TRUE,/' -e '2s/.*/=A1\&A1/' \
  "$work/made.csv" >"$work/take.csv"
for name in '"key,""5"""' '=1+2' '001' '1/2' 'TRUE'; do
  grep -q "^$name," "$work/take.csv" || { echo "FAILED: no key is named $name"; exit 1; }
done
convert "$work/take.csv"
printf 'after\0the lights,"\r\n\377' >>"$work/take.qlx"
convert "$work/take.qlx"
cp "$work/take.csv" "$work/original.csv"
# An angle edited as a user edits it: the first bone's rotation about X becomes 12.5.
python3 - "$work/take.csv" <<'EOF'
import sys
lines = open(sys.argv[1], "rb").read().split(b"\r\n")
fields = lines[3].split(b",")
fields[5] = b"12.5"
lines[3] = b",".join(fields)
open(sys.argv[1], "wb").write(b"\r\n".join(lines))
EOF
calc "CSV:44,34,64,1" xlsx "$work/xlsx" "$work/take.csv"

# Compares the export of the round trip with the original, field by field: the same bytes, but
# for a -0 saved as 0, and on the edited line (4) the edited angle, the other two angles of the
# same value and any rotation column.
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
for i, (o, b) in enumerate(zip(original, back)):
    if i == 3:
        same = len(o) == len(b) and b[5] == "12.5" and o[:5] + o[8:9] == b[:5] + b[8:9] and all(
            abs(float(o[k]) - float(b[k])) < 1e-3 for k in (6, 7))
    else:
        same = len(o) == len(b) and all(x == y or (x == "-0" and y == "0") for x, y in zip(o, b))
    if not same:
        bad += 1
        print("FAILED: row %d: %r | %r" % (i + 1, o, b))
if bad:
    sys.exit(1)
print("ok: %d rows come back as they were, the edited angle as edited" % len(original))
EOF
}

# A save of the spreadsheet's, imported, exported again and compared with the original.
status=0
check() { # file description
  cp "$1" "$work/edited.csv"
  local result=0
  convert "$work/edited.csv" || result=$?
  if [ "$result" -ne 0 ]; then
    echo "FAILED: the CSV that $2 saved imports with status $result"
    status=1
    return
  fi
  convert "$work/edited.qlx"
  echo -n "$2: "
  compare "$work/original.csv" "$work/edited.csv" || status=1
}
# A workbook that holds a formula ran a name as one.
noFormula() { # count description
  if [ "$1" -ne 0 ]; then
    echo "FAILED: $2 holds $1 formula cells"
    status=1
  else
    echo "ok: $2 holds no formula"
  fi
}
noFormula "$(unzip -p "$work/xlsx/take.xlsx" xl/worksheets/sheet1.xml | grep -o '<f[ >]' | wc -l)" \
  "the workbook Calc made"

# Calc's save options after the separator and the delimiter: the character set, and whether
# every text cell is quoted.
for save in "64:Shift-JIS" "76:UTF-8" "64,1,,0,true:Shift-JIS, every text quoted" \
  "65535:Unicode (UTF-16)"; do
  rm -rf "$work/saved"
  calc "" "csv:Text - txt - csv (StarCalc):44,34,${save%%:*}" "$work/saved" "$work/xlsx/take.xlsx"
  check "$work/saved/take.csv" "Calc as ${save#*:}"
done
# Calc set to German writes semicolons and decimal commas.
mkdir -p "$work/german/user"
cat >"$work/german/user/registrymodifications.xcu" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry">
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>de-DE</value></prop></item>
</oor:items>
EOF
rm -rf "$work/saved"
soffice --headless --norestore "-env:UserInstallation=file://$work/german" \
  "--infilter=CSV:44,34,64,1,,1033" --convert-to "csv:Text - txt - csv (StarCalc):59,34,64" \
  --outdir "$work/saved" "$work/take.csv" >/dev/null 2>&1
if grep -q ';0,' "$work/saved/take.csv"; then
  check "$work/saved/take.csv" "Calc in German (semicolons, decimal commas)"
else
  echo "FAILED: Calc in German wrote no decimal comma"
  status=1
fi

if ! command -v ssconvert >/dev/null; then
  echo "skipped: Gnumeric (gnumeric) is not installed"
  exit "$status"
fi
gnumeric() { # options output
  ssconvert -I Gnumeric_stf:stf_csvtab -E SHIFT_JIS --export-type=Gnumeric_stf:stf_assistant \
    -O "$1" "$work/take.csv" "$2" >/dev/null 2>&1
}
ssconvert -I Gnumeric_stf:stf_csvtab -E SHIFT_JIS "$work/take.csv" "$work/take.gnumeric" \
  >/dev/null 2>&1
# A cell that holds text has the value type 60; one that begins with = and has another is a formula.
noFormula "$(zcat "$work/take.gnumeric" | grep '<gnm:Cell[^>]*>=' | grep -vc 'ValueType="60"' || true)" \
  "the workbook Gnumeric made"
gnumeric 'separator=, format=raw charset=SHIFT_JIS' "$work/gnumeric.csv"
check "$work/gnumeric.csv" "Gnumeric as Shift-JIS"
gnumeric "separator=\"$(printf '\t')\" format=raw charset=SHIFT_JIS" "$work/gnumeric-tab.csv"
check "$work/gnumeric-tab.csv" "Gnumeric with tabs"
gnumeric 'separator=; format=raw charset=UTF-16' "$work/gnumeric-utf16.csv"
check "$work/gnumeric-utf16.csv" "Gnumeric with semicolons in UTF-16"
exit "$status"
