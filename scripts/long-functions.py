#!/usr/bin/env python3
"""Lists the functions longer than a limit (default 80 lines, signature to closing brace)
in the given folders' C++ sources, longest first. Lambdas and local classes count as part
of the function that holds them."""

import re
import sys
from pathlib import Path

CONTROL = re.compile(r"\b(if|for|while|switch|catch|do|else|return|try)\b\s*$")
TYPE_BLOCK = re.compile(r"\b(namespace|struct|class|union|enum)\b[^;()]*$")


def strip(text):
    """Comments, strings and character literals blanked, newlines kept."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("".join(ch if ch == "\n" else " " for ch in text[i:j]))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (j - i - 1) + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def functions(path):
    text = strip(path.read_text(encoding="utf-8", errors="replace"))
    text = re.sub(r"__attribute__\s*\(\(.*?\)\)", lambda m: " " * len(m.group(0)), text)
    # Preprocessor lines (with their continuations) are blanked: they end no header.
    text = re.sub(r"(?m)^[ \t]*#(?:.*\\\n)*.*$", lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)
    stack = []  # (kind, start line, name)
    header_start = 0
    for i, c in enumerate(text):
        if c == "{":
            header = text[header_start:i]
            inside_function = any(kind == "function" for kind, _, _ in stack)
            kind = "block"
            name = ""
            h = " ".join(header.split())
            if not inside_function:
                if TYPE_BLOCK.search(h) or h.endswith("=") or h == "" or h.startswith("extern"):
                    kind = "scope" if not h.endswith("=") else "block"
                elif ")" in h and not CONTROL.search(h.split("(")[0]):
                    kind = "function"
                    m = re.search(r"([~\w:<>]+)\s*\(", h)
                    name = m.group(1) if m else h[:40]
            start = text.count("\n", 0, header_start + len(header) - len(header.lstrip())) + 1
            stack.append((kind, start, name))
            header_start = i + 1
        elif c == "}":
            if stack:
                kind, start, name = stack.pop()
                if kind == "function":
                    end = text.count("\n", 0, i) + 1
                    yield name, start, end - start + 1
            header_start = i + 1
        elif c == ";" or (c == ":" and text[i - 1] != ":" and text[i + 1:i + 2] != ":"
                          and re.search(r"\b(public|private|protected|signals|slots)\s*$", text[header_start:i])):
            header_start = i + 1
    return


def main():
    args = sys.argv[1:]
    limit = 80
    if args and args[0].startswith("--limit="):
        limit = int(args.pop(0).split("=")[1])
    rows = []
    for folder in args or ["model", "files", "cli"]:
        for path in sorted(Path(folder).rglob("*")):
            if path.suffix not in (".cpp", ".h"):
                continue
            for name, start, length in functions(path):
                if length > limit:
                    rows.append((length, f"{path}:{start}", name))
    for length, where, name in sorted(rows, reverse=True):
        print(f"{length:5d}  {where}  {name}")


if __name__ == "__main__":
    main()
