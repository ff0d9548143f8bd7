#!/usr/bin/env python3
"""Checks that includes run one way through the layers of the source tree.

    check_layers.py [SOURCE_DIR]

The folders are layered, highest first:

    app > view > service > theme > autorun > i18n > platform

A file may include its own folder and any folder below it, never one above.
Tests and tools may include anything. Prints every upward include and exits
with 1 when there is one.
"""
import pathlib
import re
import sys

LAYERS = ["app", "view", "service", "theme", "autorun", "i18n", "platform"]
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]*"', re.MULTILINE)


def upward_includes(root):
    rank = {folder: index for index, folder in enumerate(LAYERS)}
    for folder in LAYERS:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".hpp", ".cpp", ".c", ".rc"):
                continue
            text = path.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                target = match.group(1)
                if target in rank and rank[target] < rank[folder]:
                    line = text.count("\n", 0, match.start()) + 1
                    yield f"{path.relative_to(root)}:{line}: {folder}/ includes {target}/, a layer above it"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    problems = list(upward_includes(root))
    for problem in problems:
        print(problem)
    print(f"{len(problems)} upward include(s); order: {' > '.join(LAYERS)}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
