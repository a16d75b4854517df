# Writes the example as other tools write it, each way through Python's csv module:
#   python3 other_tools.py FOLDER EXAMPLE.csv
import csv, re, sys
folder, example = sys.argv[1], sys.argv[2]
rows = list(csv.reader(open(example, encoding='cp932', newline='')))
point = re.compile(r'^-?[0-9]+\.[0-9]+(e[-+][0-9]+)?$')
comma = [[f.replace('.', ',') if point.match(f) else f for f in r] for r in rows]
def save(name, data, encoding='cp932', **form):
    with open(folder + '/' + name, 'w', encoding=encoding, errors='replace', newline='') as f:
        csv.writer(f, **form).writerows(data)
save('semicolon.csv', comma, delimiter=';')
save('utf16.csv', rows, 'utf-16')
save('utf16tab.csv', rows, 'utf-16', dialect='excel-tab')
save('tab.csv', rows, dialect='excel-tab')
save('quotedcomma.csv', comma)
save('crcrlf.csv', rows, lineterminator='\r\r\n')
with open(folder + '/blanks.csv', 'w', encoding='cp932', newline='') as f:
    for r in rows:
        f.write(','.join('"%s"  ' % x if not point.match(x) and not x.isdigit() else x
                         for x in r) + '\r\n')
ascii = [[x if x.isascii() else 'b\u03b1' for x in r] for r in rows]
save('twobyte.csv', [r if i != 1 else ['room \u00b0C'] for i, r in enumerate(ascii)], 'utf-8')
save('lost.csv', rows, 'ascii')
