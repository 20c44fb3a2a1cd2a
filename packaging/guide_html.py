#!/usr/bin/env python3
"""The user guide as one HTML page for the installed program and the zip.

  guide_html.py GUIDE.md OUT.html

The guide's screenshots (../NAME.png in the repository) are expected beside
the page.
"""
import re
import sys

import markdown

PAGE = """<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<title>{title}</title>
<style>
body {{ font-family: "Meiryo UI", "Meiryo", sans-serif; max-width: 52em; margin: 2em auto; padding: 0 1em; line-height: 1.6; }}
img {{ max-width: 100%; border: 1px solid #ccc; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #ccc; padding: 0.3em 0.6em; vertical-align: top; }}
code {{ background: #f4f4f4; }}
</style>
</head>
<body>
{body}
</body>
</html>
"""


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding="utf-8") as f:
        text = f.read()
    title = text.splitlines()[0].lstrip("# ").strip() if text else "ユーザーガイド"
    body = markdown.markdown(text.replace("](../", "]("), extensions=["tables"])
    # A line break between two Japanese characters is no space in Japanese
    # text: the browser would show one.
    body = re.sub(r"(?<=[^\x00-\x7f])\n[ \t]*(?=[^\x00-\x7f])", "", body)
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as f:
        f.write(PAGE.format(title=title, body=body))
    return 0


if __name__ == "__main__":
    sys.exit(main())
