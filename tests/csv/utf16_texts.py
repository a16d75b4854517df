# Writes every character from U+0001 to U+FFFF but the surrogates, and some beyond, to the files
# utf-16-le, utf-16-be and utf-8 in FOLDER.
#   python3 utf16_texts.py FOLDER
import sys
t = ''.join(map(chr, [*range(1, 0xD800), *range(0xE000, 0x10000), 0x10000, 0x1F600, 0x10FFFF]))
for e in ('utf-16-le', 'utf-16-be', 'utf-8'):
    open(sys.argv[1] + '/' + e, 'wb').write(t.encode(e))
