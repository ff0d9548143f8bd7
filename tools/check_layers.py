#!/usr/bin/env python3
"""Checks that includes run one way through the layers of the source tree.

    check_layers.py [SOURCE_DIR]

The folders are layered, highest first:

    app > view > service > theme > autorun > i18n > platform

A file may include its own folder and any folder below it, never one above.
The crash report (crash/) stands apart: only app/ may include it, and it
includes nothing but itself and platform/. Tests and tools may include
anything. Prints every upward include and exits
with 1 when there is one.
"""
import pathlib
import re
import sys

LAYERS = ["app", "view", "service", "theme", "autorun", "i18n", "platform"]
# Folders outside the order: who may include them, and what they may include.
APART = {"crash": {"included_by": {"app"}, "includes": {"platform"}}}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]*"', re.MULTILINE)


def problem(folder, target, rank):
    """Why folder/ may not include target/, or None when it may."""
    if folder == target:
        return None
    if folder in APART:
        if target in APART[folder]["includes"]:
            return None
        if target in rank or target in APART:
            return f"{folder}/ includes {target}/; it may include only {', '.join(sorted(APART[folder]['includes']))}/"
        return None
    if target in APART:
        if folder in APART[target]["included_by"]:
            return None
        return f"{folder}/ includes {target}/, which only {', '.join(sorted(APART[target]['included_by']))}/ may"
    if target in rank and rank[target] < rank[folder]:
        return f"{folder}/ includes {target}/, a layer above it"
    return None


def upward_includes(root):
    rank = {folder: index for index, folder in enumerate(LAYERS)}
    for folder in LAYERS + sorted(APART):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".hpp", ".cpp", ".c", ".rc"):
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                why = problem(folder, match.group(1), rank)
                if why:
                    line = text.count("\n", 0, match.start()) + 1
                    yield f"{path.relative_to(root)}:{line}: {why}"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    problems = list(upward_includes(root))
    for problem in problems:
        print(problem)
    print(f"{len(problems)} include(s) against the layers; order: {' > '.join(LAYERS)}; crash/ only from app/")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
