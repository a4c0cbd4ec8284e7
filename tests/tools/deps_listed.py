#!/usr/bin/env python3
"""Every program that the tests and scripts call must come from a package that
scripts/deps installs (or from one of those packages' dependencies, or from
the packages every Debian system has). Finds the calls in the shell scripts,
the Makefile and the commands the C++ tests and benchmarks run; asks dpkg
which package owns each program. Fails naming each program that is missing.

The Windows build's scripts (scripts/windows/, tests/windows/,
docs/screenshot-windows.sh) install their own tools through
scripts/deps-windows when `make windows` first runs: they are checked, against
both lists, with --windows, which `make test-windows` runs once it has
installed them.

The web build's scripts (scripts/web/, tests/web/) likewise, with --web,
against scripts/deps and scripts/deps-web, which `make test-web` runs.
scripts/debian-sources.sh, which both cross-builds share, is checked with either.

usage: deps_listed.py [--windows] [--web] [SOURCE_DIR [DEPS_SCRIPT]]
"""
import os
import re
import subprocess
import sys

WINDOWS = "--windows" in sys.argv[1:]
WEB = "--web" in sys.argv[1:]
ARGS = [a for a in sys.argv[1:] if a not in ("--windows", "--web")]
ROOT = os.path.abspath(ARGS[0] if ARGS else os.path.join(os.path.dirname(__file__), "..", ".."))
DEPS = ARGS[1] if len(ARGS) > 1 else os.path.join(ROOT, "scripts", "deps")

def windows_only(path):
    rel = os.path.relpath(path, ROOT)
    return rel.startswith(("scripts/windows/", "tests/windows/")) or rel == "docs/screenshot-windows.sh"

def web_only(path):
    return os.path.relpath(path, ROOT).startswith(("scripts/web/", "tests/web/"))

def cross_only(path):
    """Shared by the cross-builds alone: checked with either of them."""
    return os.path.relpath(path, ROOT) == "scripts/debian-sources.sh"

def checked(path):
    if cross_only(path):
        return WINDOWS or WEB
    if windows_only(path):
        return WINDOWS
    if web_only(path):
        return WEB
    return True

# Words at a command's place that are not programs: the shell's own words
# and what commonly follows a wrapper such as `nice` or `timeout`.
SHELL_WORDS = set("""
if then else elif fi for in do done while until case esac function select time coproc
alias bg bind break builtin caller cd command compgen complete compopt continue declare dirs disown
echo enable eval exec exit export false fc fg getopts hash help history jobs kill let local logout
mapfile popd printf pushd pwd read readarray readonly return set shift shopt source suspend test
times trap true type typeset ulimit umask unalias unset wait
""".split())
# Programs that only run other programs: the word after them is the call.
WRAPPERS = {"nice", "timeout", "env", "exec", "xargs", "command", "sudo", "$SUDO", "time", "nohup", "xvfb-run"}

def shell_files():
    names = []
    for top in ("tests", "scripts", "bench", "docs", "fuzz", "packaging", ".ci", "tools"):
        for folder, _, files in os.walk(os.path.join(ROOT, top)):
            for f in files:
                path = os.path.join(folder, f)
                if f.endswith((".sh", ".bash", ".sh.in")) or f in ("run", "run-all", "deps"):
                    if checked(path):
                        names.append(path)
    return sorted(names)

def strip_comment(line):
    quote = None
    for i, ch in enumerate(line):
        if quote:
            if ch == quote:
                quote = None
        elif ch in "'\"":
            quote = ch
        elif ch == "#" and (i == 0 or line[i - 1] in " \t;"):
            return line[:i]
    return line

def shell_text(path, makefile=False):
    """The file's shell text without comments, here-documents and array literals."""
    heredoc = None
    array = False
    lines = []
    with open(path, encoding="utf-8", errors="replace") as f:
        raw = f.read().replace("\\\n", " ")
    for line in raw.split("\n"):
        if heredoc:
            if line.strip() == heredoc:
                heredoc = None
            continue
        if array:
            array = ")" not in line
            continue
        if makefile:
            if not line.startswith("\t"):
                continue
            line = re.sub(r"\$\(\w+\)", "X", line.lstrip("\t@-"))
        m = re.search(r"<<-?\s*['\"]?(\w+)['\"]?", line)
        if m:
            heredoc = m.group(1)
        if re.match(r"^\s*\w+=\($", line.rstrip()):
            array = True
            continue
        lines.append(strip_comment(line))
    return "\n".join(lines)

SPLIT = re.compile(r"\n|\|\||&&|[|;&`(){}!]|\$\(|\bthen\b|\bdo\b|\belse\b|\bif\b|\bwhile\b|\buntil\b")

def unquote(text):
    """Quoted text is data, not calls; only command substitutions in double
    quotes are calls. Arithmetic and case patterns go too."""
    text = re.sub(r"'[^']*'", "''", text, flags=re.S)
    text = re.sub(r'"((?:[^"\\]|\\.)*)"',
                  lambda m: " ; ".join([""] + re.findall(r"\$\(([^()]*)\)", m.group(1)) + [""]) if "$(" in m.group(1) else "''",
                  text, flags=re.S)
    text = re.sub(r"\$?\(\((?:[^()]|\([^()]*\))*\)\)", "0", text)
    text = re.sub(r"(?m)^\s*[^\s()]+\)", " ", text)
    text = re.sub(r"\b\w+\+?=\([^()]*\)", "_=x", text)
    text = re.sub(r"\$\{[^{}]*\}", "v", text)
    return text

def commands_in_shell(text, functions):
    found = []
    for segment in SPLIT.split(unquote(text)):
        words = segment.split()
        while words:
            w = words[0]
            if re.match(r"^[A-Za-z_][A-Za-z0-9_]*(\[[^]]*\])?\+?=", w) or re.match(r"^\d*[<>]", w) or w in ("]", "[[", "]]"):
                words = words[1:]
                continue
            if w in WRAPPERS:
                words = words[1:]
                # timeout's duration, nice's -n N, env's assignments and options
                while words and (words[0].startswith("-") or re.match(r"^[\d.]+[smh]?$", words[0]) or "=" in words[0]):
                    words = words[1:]
                continue
            break
        if not words:
            continue
        w = words[0]
        if re.match(r"^[a-z][a-z0-9._+-]*$", w) and w not in SHELL_WORDS and w not in functions and not w.startswith("zorta"):
            found.append(w)
    return found

def cpp_commands(path):
    found = []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            literal = r'"((?:[^"\\]|\\.)*)"'
            for m in re.finditer(r"\b(?:system|popen|RunCommand|RunCapture|Shell)\(\(?(?:std::string\()?" + literal, line):
                found.append(m.group(1).replace('\\"', '"'))
            for m in re.finditer(r"\b(?:command|cmd)\s*=\s*(?:std::string\()?" + literal, line):
                found.append(m.group(1).replace('\\"', '"'))
    return found

def listed_packages():
    packages = []
    lists = [DEPS] + ([os.path.join(os.path.dirname(DEPS), "deps-windows")] if WINDOWS else []) \
        + ([os.path.join(os.path.dirname(DEPS), "deps-web")] if WEB else [])
    for path in lists:
        if not os.path.exists(path):
            continue
        text = open(path, encoding="utf-8").read()
        m = re.search(r"PACKAGES=\((.*?)\)", text, re.S)
        if m:
            packages += re.sub(r"#.*", "", m.group(1)).split()
    return packages

def closure(packages):
    """The listed packages and everything they depend on, as installed."""
    out = subprocess.run(["apt-cache", "depends", "--recurse", "--installed", "--no-recommends", "--no-suggests",
                          "--no-conflicts", "--no-breaks", "--no-replaces", "--no-enhances"] + packages,
                         capture_output=True, text=True).stdout
    names = set(packages)
    for line in out.splitlines():
        name = line.strip().split(":", 1)[-1].strip() if ":" in line else line.strip()
        names.add(name.strip("<>").split(":")[0])
    return names

def everywhere():
    """Packages on every Debian system: essential or of required priority."""
    out = subprocess.run(["dpkg-query", "-W", "-f=${Package} ${Essential} ${Priority}\n"],
                         capture_output=True, text=True).stdout
    return {l.split()[0] for l in out.splitlines() if " yes" in l or l.endswith(" required")}

def owner(command):
    for d in ("/usr/bin", "/bin", "/usr/sbin", "/sbin", "/usr/games"):
        path = os.path.join(d, command)
        if not os.path.lexists(path):
            continue
        for candidate in (path, os.path.realpath(path), path.replace("/usr/", "/", 1) if path.startswith("/usr/") else "/usr" + path):
            r = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
            # A diverted file is listed twice more as "diversion by PKG ...".
            lines = [l for l in r.stdout.splitlines() if not l.startswith("diversion by ")]
            if r.returncode == 0 and lines:
                return lines[0].split(":")[0].split(",")[0].strip()
    return None

def main():
    functions = set()
    calls = {}  # command -> first file that calls it
    files = shell_files()
    for path in files:
        for m in re.finditer(r"(?m)^\s*(?:function\s+)?([A-Za-z_][A-Za-z0-9_-]*)\s*\(\)", shell_text(path)):
            functions.add(m.group(1))
    sources = [(p, False) for p in files] + [(os.path.join(ROOT, "Makefile"), True)]
    for path, makefile in sources:
        for c in commands_in_shell(shell_text(path, makefile), functions):
            calls.setdefault(c, os.path.relpath(path, ROOT))
    for top in ("tests", "bench", "fuzz"):
        for folder, _, names in os.walk(os.path.join(ROOT, top)):
            for n in names:
                if n.endswith((".cpp", ".h")):
                    path = os.path.join(folder, n)
                    for text in cpp_commands(path):
                        for c in commands_in_shell(text, functions):
                            calls.setdefault(c, os.path.relpath(path, ROOT))
    packages = listed_packages()
    if not packages:
        print(f"FAIL: no PACKAGES list in {DEPS}")
        return 1
    allowed = closure(packages) | everywhere()
    failures = 0
    for command in sorted(calls):
        pkg = owner(command)
        if pkg is None:
            print(f"FAIL: {command} (called by {calls[command]}) is not installed from any Debian package here")
            failures += 1
        elif pkg.split(":")[0] not in allowed:
            print(f"FAIL: {command} (called by {calls[command]}) comes from {pkg}, which scripts/deps does not install")
            failures += 1
        else:
            print(f"{command}: {pkg}")
    print(f"{len(calls)} programs called, {failures} not provided by scripts/deps{' and scripts/deps-windows' if WINDOWS else ''}{' and scripts/deps-web' if WEB else ''}")
    return 1 if failures else 0

sys.exit(main())
