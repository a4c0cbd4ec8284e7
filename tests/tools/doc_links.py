#!/usr/bin/env python3
"""Links into source lines (`file#L12`) in README.md and docs/*.md must point
at a line that exists and still holds what the link names: a code span of the
label (up to its first parenthesis), or the link's title,
e.g. [line 150](../game/game.cpp#L150 "CoinGroup"). A link that names nothing
is refused too, so no line link can drift unseen; a label that says
"line N" must say the line linked. README.md stays a front door: at most
README_LINES lines, the reference lives in docs/.
usage: doc_links.py SOURCE-DIR"""
import glob
import os
import re
import sys

README_LINES = 250
LINK = re.compile(r'\[((?:[^\[\]]|\[[^\]]*\])*)\]\(([^)\s]+#L(\d+)(?:-L\d+)?)(?:\s+"([^"]*)")?\)')


def anchors(label, title):
    if title:
        return [title]
    return [span.split('(')[0].strip() for span in re.findall(r'`([^`]+)`', label) if span.split('(')[0].strip()]


def check(md, root):
    faults = []
    text = open(md, encoding='utf-8').read()
    for m in LINK.finditer(text):
        label, target, line, title = m.group(1), m.group(2), int(m.group(3)), m.group(4)
        where = '%s:%d: [%s](%s)' % (os.path.relpath(md, root), text.count('\n', 0, m.start()) + 1, label, target)
        path = os.path.normpath(os.path.join(os.path.dirname(md), target.split('#')[0]))
        if not os.path.isfile(path):
            faults.append('%s: no such file' % where)
            continue
        lines = open(path, encoding='utf-8', errors='replace').read().split('\n')
        if line < 1 or line > len(lines) or (line == len(lines) and lines[-1] == ''):
            faults.append('%s: the file has no line %d' % (where, line))
            continue
        said = re.search(r'\bline (\d+)', label)
        if said and int(said.group(1)) != line:
            faults.append('%s: the label says line %s' % (where, said.group(1)))
        names = anchors(label, title)
        if not names:
            faults.append('%s: names nothing to find on the line (a code span in the label, or a title)' % where)
        elif not any(n in lines[line - 1] for n in names):
            found = [i + 1 for i, l in enumerate(lines) if any(n in l for n in names)]
            faults.append('%s: line %d does not hold %s (found on lines %s)' %
                          (where, line, ' or '.join(repr(n) for n in names), found[:5]))
    return faults


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else '.')
    docs = sorted(glob.glob(os.path.join(root, 'docs', '*.md'))) + [os.path.join(root, 'README.md')]
    faults = []
    for md in docs:
        if os.path.isfile(md):
            faults += check(md, root)
    readme = os.path.join(root, 'README.md')
    if os.path.isfile(readme):
        count = len(open(readme, encoding='utf-8').read().splitlines())
        if count > README_LINES:
            faults.append('README.md: %d lines, more than %d (move the reference into docs/)' % (count, README_LINES))
    for f in faults:
        print('FAIL: ' + f)
    if faults:
        return 1
    print('PASS: every line link in README.md and docs/*.md holds what it names; README.md is %d lines at most' % README_LINES)
    return 0


if __name__ == '__main__':
    sys.exit(main())
