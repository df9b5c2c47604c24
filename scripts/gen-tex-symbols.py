#!/usr/bin/python3
"""Writes src/bridge/tex_symbols.cpp: the TeX commands that stand for one text of their own.

Origin: the TeX-to-Unicode table of pylatexenc (latex2text's default specifications,
pylatexenc/latex2text/_defaultspecs.py), by Philippe Faist, MIT licence, as Debian's package
python3-pylatexenc ships it (version 2.10 when this file was written). Only data is taken
(command names and their Unicode texts), read through the package's own lookup, so each name
gets the text pylatexenc itself would give it.

Taken: commands without arguments whose replacement is a fixed text (no argument slots, no
line breaks), from the categories of TeX proper (latex-base, latex-approximations,
advanced-symbols). Accents, which pylatexenc renders with a function, come from its
`unicode_accents_list` as the combining mark they add. Added here: the short names TeX itself
defines for commands the table has (\\ne for \\neq, \\land for \\wedge, ...), and \\epsilon and
\\phi given the letters a person types, as \\varepsilon and \\varphi are (pylatexenc gives the
symbol variants, which few fonts hold). The structure (fractions, roots, scripts, fonts, spacing) is src/bridge/tex_text.cpp's.

Run from the top of the tree:   /usr/bin/python3 scripts/gen-tex-symbols.py
(apt-get install python3-pylatexenc). It writes the file byte for byte the same each time;
`--check` only compares and exits 1 when the committed file differs.
"""
import os
import sys

from pylatexenc import latexwalker
from pylatexenc.latex2text import _defaultspecs, get_default_latex_context_db

CATEGORIES = ('latex-base', 'latex-approximations', 'advanced-symbols')

# TeX's and amsmath's own short names for commands the table holds.
ALIASES = {
    'ne': 'neq', 'land': 'wedge', 'lor': 'vee', 'lnot': 'neg', 'gets': 'leftarrow',
    'iff': 'Longleftrightarrow', 'implies': 'Longrightarrow', 'impliedby': 'Longleftarrow',
    'owns': 'ni', 'bot': 'perp', 'dotsc': 'ldots', 'triangle': 'bigtriangleup',
}
# Not symbols: \today is the date the table would be made on.
SKIPPED = {'today'}
# The letters a person types, not the symbol variants.
OVERRIDES = {'epsilon': '\N{GREEK SMALL LETTER EPSILON}', 'phi': '\N{GREEK SMALL LETTER PHI}'}


def symbols():
    db = get_default_latex_context_db()
    walker_db = latexwalker.get_default_latex_context_db()
    names = set()
    for category in CATEGORIES:
        names.update(m.macroname for m in db.d[category]['macros'].values())
    table = {}
    for name in names - SKIPPED:
        macro = db.get_macro_spec(name)
        text = getattr(macro, 'simplify_repl', None)
        if not isinstance(text, str) or '%' in text:
            continue
        if any(ord(c) < 0x20 for c in text):
            continue
        parse = walker_db.get_macro_spec(name)
        argspec = getattr(getattr(parse, 'args_parser', None), 'argspec', '') if parse else ''
        if argspec:
            continue
        table[name] = text
    for short, long in ALIASES.items():
        if short not in table and long in table:
            table[short] = table[long]
    table.update(OVERRIDES)
    accents = {name: mark for name, mark in _defaultspecs.unicode_accents_list}
    return table, accents


def c_string(text):
    out = []
    for byte in text.encode('utf-8'):
        c = chr(byte)
        if c in '"\\':
            out.append('\\' + c)
        elif 0x20 <= byte < 0x7F and c != '?':
            out.append(c)
        else:
            out.append('\\%03o' % byte)
    return '"' + ''.join(out) + '"'


def render():
    table, accents = symbols()
    key = lambda name: name.encode('utf-8')
    lines = [
        '// Written by scripts/gen-tex-symbols.py from pylatexenc\'s TeX-to-Unicode table',
        '// (pylatexenc/latex2text/_defaultspecs.py, Philippe Faist, MIT licence, Debian package',
        '// python3-pylatexenc). Do not edit: run the script again.',
        '#include "bridge/tex_symbols.h"',
        '',
        'namespace tex {',
        '',
        'const Symbol kSymbols[] = {',
    ]
    for name in sorted(table, key=key):
        lines.append('    {%s, %s},' % (c_string(name), c_string(table[name])))
    lines += ['};', 'const std::size_t kSymbolCount = sizeof kSymbols / sizeof kSymbols[0];', '',
              'const Symbol kAccents[] = {']
    for name in sorted(accents, key=key):
        lines.append('    {%s, %s},' % (c_string(name), c_string(accents[name])))
    lines += ['};', 'const std::size_t kAccentCount = sizeof kAccents / sizeof kAccents[0];', '',
              '}  // namespace tex', '']
    return '\n'.join(lines).encode('utf-8')


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = os.path.join(root, 'src', 'bridge', 'tex_symbols.cpp')
    data = render()
    if sys.argv[1:] == ['--check']:
        with open(target, 'rb') as f:
            same = f.read() == data
        print(target + (' is up to date' if same else ' differs from the table'))
        return 0 if same else 1
    tmp = target + '.tmp'
    with open(tmp, 'wb') as f:
        f.write(data)
    os.replace(tmp, target)
    print('%s: written' % target)
    return 0


if __name__ == '__main__':
    sys.exit(main())
