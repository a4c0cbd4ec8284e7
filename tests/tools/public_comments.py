#!/usr/bin/env python3
"""Every public name in include/zorta/*.h has a comment: a `//` (or `///`, or a
block comment's last line) right above its declaration, or a trailing `//`
comment on its line. Names are declarations at namespace scope (functions,
variables, types, aliases), the fields and member functions of a struct or
class, and the values of an enum. Bodies of inline functions and initialisers
are not looked into; forward declarations, access labels, static_asserts and
deleted or defaulted members need no comment. Fails naming each name without one.

usage: public_comments.py [SOURCE_DIR | HEADER...]
"""
import glob
import os
import re
import sys

# Words before a name that are not the name.
NOT_NAMES = set("""
const constexpr static inline extern volatile mutable virtual explicit unsigned signed
struct class union enum typename template operator noexcept override final friend
void bool char short int long float double auto return
""".split())
SCOPE_OPENER = re.compile(r"^(?:typedef\s+)?(?:struct|class|union|enum(?:\s+class|\s+struct)?)\b[^;=(]*$")
NAMESPACE = re.compile(r'^(?:inline\s+)?namespace\b[^;]*$|^extern\s+"C"\s*$')
FORWARD = re.compile(r"^(?:struct|class|union|enum(?:\s+class|\s+struct)?)\s+\w+\s*(?::\s*[\w:\s]+)?;$")
SKIPPED = re.compile(r"^(?:public|private|protected)\s*:$|^static_assert\b|^using\s+namespace\b")
# Deleted and defaulted members add no name of their own.
DELETED = re.compile(r"=\s*(?:delete|default)\s*;$")


def split_code(line, in_block):
    """The line's code without comments, whether a comment ends or trails it,
    and whether a block comment is still open after it."""
    code = []
    trailing = False
    i = 0
    quote = None
    while i < len(line):
        ch = line[i]
        if in_block:
            end = line.find("*/", i)
            if end < 0:
                return "".join(code), trailing, True
            i = end + 2
            in_block = False
            trailing = True
            continue
        if quote:
            code.append(ch)
            if ch == "\\" and i + 1 < len(line):
                code.append(line[i + 1])
                i += 2
                continue
            if ch == quote:
                quote = None
        elif ch in "\"'":
            quote = ch
            code.append(ch)
        elif line.startswith("//", i):
            return "".join(code), True, False
        elif line.startswith("/*", i):
            in_block = True
            i += 2
            continue
        else:
            code.append(ch)
        i += 1
    return "".join(code), trailing, in_block


def declared_name(statement, in_enum):
    """The name a declaration declares."""
    text = statement.strip()
    while re.search(r"<[^<>]*>", text):
        text = re.sub(r"<[^<>]*>", "", text)  # template arguments
    text = re.sub(r"\[[^\]]*\]", "", text)
    if in_enum:
        m = re.match(r"(\w+)", text)
        return m.group(1) if m else text
    m = re.match(r"using\s+(\w+)", text)
    if m:
        return m.group(1)
    m = re.match(r"(?:struct|class|union|enum(?:\s+class|\s+struct)?)\s+(\w+)", text)
    if m:
        return m.group(1)
    m = re.search(r"\(\s*\*\s*(\w+)\s*\)", text)  # a pointer to a function
    if m:
        return m.group(1)
    m = re.search(r"(operator\s*\S+?|~?\w+)\s*\(", text)
    if m:
        return m.group(1)
    words = [w for w in re.findall(r"[A-Za-z_]\w*", re.split(r"[=:{;,]", text)[0]) if w not in NOT_NAMES]
    return words[-1] if words else text


def pieces(code, depth):
    """CODE cut after each `;`, `{` and `}` outside parentheses; DEPTH is the
    parentheses left open by the lines before. Returns the pieces and the depth."""
    out = []
    start = 0
    for i, ch in enumerate(code):
        if ch == "(":
            depth += 1
        elif ch == ")":
            depth = max(0, depth - 1)
        elif ch in ";{}" and depth == 0:
            out.append(code[start:i + 1])
            start = i + 1
    out.append(code[start:])
    return [p.strip() for p in out if p.strip()], depth


def check(path, text):
    """(path, line, name) of each public name in TEXT without a comment."""
    missing = []
    scopes = ["file"]  # file, namespace, type, enum, or body (not looked into)
    in_block = False
    commented_above = False  # the line above is a comment
    pending = None  # the declaration being read: [line, text, commented]
    depth = 0
    closed_type = False  # after a type's `}`, up to its `;`
    directive = False  # a preprocessor line goes on
    for number, raw in enumerate(text.split("\n"), 1):
        if directive or (not in_block and raw.lstrip().startswith("#")):
            directive = raw.rstrip().endswith("\\")
            commented_above = False
            continue
        code, trailing, in_block_after = split_code(raw, in_block)
        comment_only = not code.strip() and (trailing or in_block or in_block_after)
        in_block = in_block_after
        if comment_only:
            commented_above = True
            continue
        if not code.strip():
            commented_above = False
            continue
        commented = commented_above or trailing
        commented_above = False
        parts, depth = pieces(code, depth)
        for piece in parts:
            scope = scopes[-1]
            if scope == "body":
                for ch in piece:
                    if ch == "{":
                        scopes.append("body")
                    elif ch == "}":
                        scopes.pop()
                continue
            if scope == "enum":
                values = piece.split("}")[0]
                for value in values.split(","):
                    if value.strip() and not commented:
                        missing.append((path, number, declared_name(value, True)))
                if "}" in piece:
                    scopes.pop()
                    closed_type = True
                continue
            if pending is None:
                if piece.startswith("}"):
                    scopes.pop()
                    closed_type = True
                    continue
                if closed_type and piece.endswith(";") and "(" not in piece:
                    closed_type = False  # `} name;`: the type's own comment covers it
                    continue
                closed_type = False
                if piece == ";" or SKIPPED.match(piece) or FORWARD.match(piece):
                    continue
                pending = [number, piece, commented]
            else:
                pending[1] += " " + piece
                pending[2] = pending[2] or trailing
            if depth > 0 or not pending[1].endswith((";", "{")):
                continue
            statement = re.sub(r"^template\s*<.*?>\s*(?=[a-z])", "", pending[1])
            opens = statement.endswith("{")
            head = statement[:-1].strip()
            if opens and NAMESPACE.match(head):
                scopes.append("namespace")
            else:
                if not pending[2] and not DELETED.search(statement):
                    missing.append((path, pending[0], declared_name(head, False)))
                if opens:
                    if SCOPE_OPENER.match(head):
                        scopes.append("enum" if re.match(r"(?:typedef\s+)?enum\b", head) else "type")
                    else:
                        scopes.append("body")  # an inline function's body or an initialiser
            pending = None
    return missing


def main(args):
    if len(args) == 1 and os.path.isdir(args[0]) or not args:
        root = args[0] if args else os.path.join(os.path.dirname(__file__), "..", "..")
        headers = sorted(glob.glob(os.path.join(root, "include", "zorta", "*.h")))
        if not headers:
            print("SKIP: no public headers in include/zorta")
            return 77
    else:
        headers = args
    failures = []
    for header in headers:
        with open(header, encoding="utf-8") as f:
            failures += check(header, f.read())
    for path, number, name in failures:
        print(f"FAIL: {path}:{number}: {name} has no comment")
    if not failures:
        print(f"public comments: {len(headers)} headers, every name commented")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
