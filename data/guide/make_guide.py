#!/usr/bin/env python3
"""Writes the user's guide of one platform from the guide's one source.

    make_guide.py SOURCE PLATFORM OUTPUT_FOLDER [--own-page SECTION]...

PLATFORM is linux, windows or web. The source's parts marked for a platform (an HTML comment "linux"
before them and "/linux" after, or "windows" and "/windows") go into that platform's guide only;
the rest goes into both, and the source's first comment, which says this, into neither. The guide
is OUTPUT_FOLDER/index.html. A SECTION named with --own-page (the id of an h2) is also written as a
page of its own, SECTION.html beside it, with its links leading back into the index: a program
that can hand the shell only a file, not a #section, opens the section there.
"""

import argparse
import os
import re
import sys

PLATFORMS = ("linux", "windows", "web")


def for_platform(source, platform):
    out = re.sub(r"<!-- The one source.*?-->\n", "", source, count=1, flags=re.S)
    for name in PLATFORMS:
        part = re.compile(rf"<!-- {name} -->\n(.*?)<!-- /{name} -->\n", re.S)
        out = part.sub(lambda m: m.group(1) if name == platform else "", out)
    left = re.search(r"<!-- /?(?:%s) -->" % "|".join(PLATFORMS), out)
    if left:
        raise ValueError(f"a marker without its pair: {left.group(0)}")
    return out


def section_page(guide, section):
    """The page of one section: the guide's head, the section, and links into the index."""
    start = guide.find(f'<h2 id="{section}">')
    if start < 0:
        raise ValueError(f"no section {section}")
    end = guide.find("<h2 ", start + 1)
    if end < 0:
        end = guide.index("</body>")
    head = guide[:guide.index("<body>") + len("<body>\n")]
    body = guide[start:end].replace('href="#', 'href="index.html#')
    back = '<p><a href="index.html">The whole guide</a></p>\n'
    return head + body + back + "</body>\n</html>\n"


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("source")
    parser.add_argument("platform", choices=PLATFORMS)
    parser.add_argument("output")
    parser.add_argument("--own-page", action="append", default=[])
    args = parser.parse_args()
    with open(args.source, encoding="utf-8") as f:
        guide = for_platform(f.read(), args.platform)
    os.makedirs(args.output, exist_ok=True)
    write(os.path.join(args.output, "index.html"), guide)
    for section in args.own_page:
        write(os.path.join(args.output, f"{section}.html"), section_page(guide, section))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (OSError, ValueError) as error:
        print(f"make_guide.py: {error}", file=sys.stderr)
        sys.exit(1)
