# For each character code given, its Shift-JIS bytes in hex and the character that Windows' code
# page 932 decodes them to, after checking that the JIS table and code page 932 agree on them.
#   python3 jis_forms.py 12316 8214 ...
import sys
for c in map(int, sys.argv[1:]):
    b = chr(c).encode('shift_jis')
    assert b.decode('shift_jis') == chr(c) and chr(c).encode('cp932') == b
    print(b.hex(), ord(b.decode('cp932')))
