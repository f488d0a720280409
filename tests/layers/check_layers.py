#!/usr/bin/env python3
"""The layers of src/ as the README's Layout table orders them.

Each folder of src/ may include headers of its own folder and of the folders
listed above it in that table, never of one below it; only src/gui/ includes
Qt. The table is the one place the order is written: a folder of src/ missing
from it is a failure too.

    check_layers.py SOURCE_DIR          checks SOURCE_DIR/src against SOURCE_DIR/README.md
    check_layers.py --self-test         checks that planted violations are found
"""
import os
import re
import sys
import tempfile

QT_INCLUDE = re.compile(r'#\s*include\s*<(Q[A-Za-z]*|Qt[A-Za-z]*/[^>]*)>')
LOCAL_INCLUDE = re.compile(r'#\s*include\s*"([^"]+)"')
TABLE_ROW = re.compile(r'^\|\s*`src/([^`]*?)/?`\s*\|')


def layer_order(readme):
    """The folders of the Layout table, top first."""
    order, in_layout = [], False
    with open(readme, encoding='utf-8') as f:
        for line in f:
            if line.startswith('## '):
                in_layout = line.strip() == '## Layout'
                continue
            m = TABLE_ROW.match(line) if in_layout else None
            if m:
                order.append(m.group(1))
    return order


def violations(root):
    order = layer_order(os.path.join(root, 'README.md'))
    rank = {folder: i for i, folder in enumerate(order)}
    src = os.path.join(root, 'src')
    found = []
    if not order:
        return ['README.md: no Layout table listing the folders of src/']
    for dirpath, _, files in sorted(os.walk(src)):
        folder = os.path.relpath(dirpath, src).replace(os.sep, '/')
        sources = [f for f in sorted(files) if f.endswith(('.h', '.cpp'))]
        if folder == '.' or not sources:
            continue
        if folder not in rank:
            found.append(f'src/{folder}/: not in the README\'s Layout table')
            continue
        for name in sources:
            path = f'src/{folder}/{name}'
            with open(os.path.join(dirpath, name), encoding='utf-8') as f:
                for n, line in enumerate(f, 1):
                    if QT_INCLUDE.search(line) and folder != 'gui':
                        found.append(f'{path}:{n}: includes Qt outside src/gui/: {line.strip()}')
                    m = LOCAL_INCLUDE.search(line)
                    if not m or '/' not in m.group(1):
                        continue
                    target = m.group(1).rsplit('/', 1)[0]
                    if target not in rank:
                        if os.path.exists(os.path.join(src, m.group(1))):
                            found.append(f'{path}:{n}: includes {m.group(1)} of a folder not in the Layout table')
                    elif rank[target] > rank[folder]:
                        found.append(f'{path}:{n}: includes {m.group(1)}: src/{target}/ is below src/{folder}/ in the layers')
    return found


def self_test():
    """Plants each kind of violation in a small tree and expects it reported."""
    readme = '## Layout\n\n| folder | what |\n|---|---|\n| `src/host/` | a |\n| `src/host/formula/` | b |\n' \
             '| `src/meet/` | c |\n| `src/gui/` | d |\n\n## Next\n\n| `src/late/` | not a layer |\n'
    cases = [
        ('clean', {'host/a.h': '', 'host/formula/f.h': '#include "host/a.h"\n',
                   'meet/m.cpp': '#include "host/formula/f.h"\n#include "meet/m.h"\n', 'meet/m.h': '',
                   'gui/g.cpp': '#include <QWidget>\n#include "meet/m.h"\n'}, 0),
        ('upward between folders', {'host/a.cpp': '#include "meet/m.h"\n', 'meet/m.h': ''}, 1),
        ('upward inside the host', {'host/a.cpp': '#include "host/formula/f.h"\n', 'host/formula/f.h': ''}, 1),
        ('Qt outside gui', {'meet/m.cpp': '#include <QString>\n'}, 1),
        ('folder missing from the table', {'late/x.cpp': ''}, 1),
    ]
    failed = 0
    for title, files, expected in cases:
        with tempfile.TemporaryDirectory() as root:
            with open(os.path.join(root, 'README.md'), 'w', encoding='utf-8') as f:
                f.write(readme)
            for rel, text in files.items():
                os.makedirs(os.path.dirname(os.path.join(root, 'src', rel)), exist_ok=True)
                with open(os.path.join(root, 'src', rel), 'w', encoding='utf-8') as f:
                    f.write(text)
            got = violations(root)
            if len(got) != expected:
                print(f'self-test "{title}": expected {expected} violation(s), got {got}')
                failed += 1
    return failed


def main():
    if sys.argv[1:] == ['--self-test']:
        return 1 if self_test() else 0
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    found = violations(sys.argv[1])
    for v in found:
        print(v)
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main())
