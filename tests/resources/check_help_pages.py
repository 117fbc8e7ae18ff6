#!/usr/bin/python3
"""Checks the help set that the plug-in writes to disk and opens in a browser.

    check_help_pages.py HELP_DIR VERSION_HEADER

Each page must pass tidy without errors or warnings, link the style sheet, carry the header
and the Contents box, and link nothing but the four files of the set (the pages are opened
from disk, often offline). The style sheet must load nothing from elsewhere either. A version
number named in the pages must be the plug-in's own.
"""

import os
import re
import shutil
import subprocess
import sys
from html.parser import HTMLParser
from urllib.parse import urlsplit

PAGES = ("1.htm", "2.htm", "3.htm")
STYLE = "style.css"
HELP_SET = set(PAGES) | {STYLE}
HEADER = "Tessivane Reverb Help"


class PageScan(HTMLParser):
    def __init__(self):
        super().__init__()
        self.links = []           # (tag, attribute, value)
        self.stylesheets = []
        self.scripts = 0
        self.charset = None
        self.headings = []
        self.contents_links = []
        self.text = []
        self._heading = None
        self._nav_depth = 0

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for name in ("href", "src", "action", "data", "poster"):
            if attrs.get(name) is not None:
                self.links.append((tag, name, attrs[name]))
        if tag == "script":
            self.scripts += 1
        if tag == "meta" and attrs.get("charset"):
            self.charset = attrs["charset"].lower()
        if tag == "link" and "stylesheet" in (attrs.get("rel") or "").split():
            self.stylesheets.append(attrs.get("href"))
        if tag in ("h1", "h2"):
            self._heading = []
        if tag == "nav":
            self._nav_depth += 1
        if tag == "a" and self._nav_depth:
            self.contents_links.append(attrs.get("href"))

    def handle_endtag(self, tag):
        if tag in ("h1", "h2") and self._heading is not None:
            self.headings.append("".join(self._heading).strip())
            self._heading = None
        if tag == "nav":
            self._nav_depth -= 1

    def handle_data(self, data):
        self.text.append(data)
        if self._heading is not None:
            self._heading.append(data)


def target_of(link):
    """The help-set file a link leads to, or None when it leads anywhere else."""
    parts = urlsplit(link)
    if parts.scheme or parts.netloc or parts.query or "/" in parts.path or "\\" in parts.path:
        return None
    return parts.path if parts.path in HELP_SET else None


def tidy_problems(path):
    tidy = shutil.which("tidy")
    if not tidy:
        return ["tidy is not installed (scripts/setup installs it)"]
    run = subprocess.run([tidy, "-q", "-e", "-utf8", path], capture_output=True, text=True)
    report = (run.stdout + run.stderr).strip()
    if run.returncode != 0 or report:
        return ["tidy: " + line for line in report.splitlines()] or \
            ["tidy exited with %d" % run.returncode]
    return []


def page_problems(help_dir, name, version):
    path = os.path.join(help_dir, name)
    with open(path, "rb") as f:
        raw = f.read()
    try:
        source = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        return ["not UTF-8: %s" % e]
    problems = tidy_problems(path)
    scan = PageScan()
    scan.feed(source)
    scan.close()

    if scan.charset != "utf-8":
        problems.append("does not declare UTF-8")
    if scan.scripts:
        problems.append("has scripts")
    if scan.stylesheets != [STYLE]:
        problems.append("links the style sheets %s instead of %s" % (scan.stylesheets, STYLE))
    for tag, attribute, link in scan.links:
        if link.startswith("#"):
            continue
        if target_of(link) is None:
            problems.append('<%s %s="%s"> leads outside the help set' % (tag, attribute, link))
    if HEADER not in scan.headings:
        problems.append('no header "%s"' % HEADER)
    if "Contents" not in scan.headings:
        problems.append('no "Contents" box')
    others = set(PAGES) - {name}
    if not others <= set(scan.contents_links):
        problems.append("Contents box does not link %s" % sorted(others - set(scan.contents_links)))
    for stated in re.findall(r"[Vv]ersion (\d+\.\d+\.\d+)", "".join(scan.text)):
        if stated != version:
            problems.append("names version %s, the plug-in is %s" % (stated, version))
    return problems


def style_problems(help_dir):
    with open(os.path.join(help_dir, STYLE), "rb") as f:
        try:
            sheet = f.read().decode("utf-8")
        except UnicodeDecodeError as e:
            return ["not UTF-8: %s" % e]
    problems = []
    bare = re.sub(r"/\*.*?\*/", "", sheet, flags=re.S)
    if re.search(r"url\s*\(|@import", bare):
        problems.append("loads a resource")
    depth = 0
    for c in bare:
        depth += {"{": 1, "}": -1}.get(c, 0)
        if depth < 0:
            break
    if depth != 0:
        problems.append("unbalanced braces")
    return problems


def plugin_version(header):
    with open(header, encoding="utf-8") as f:
        match = re.search(r'#define\s+TESSIVANE_VERSION_TEXT\s+"([^"]+)"', f.read())
    if not match:
        sys.exit("no version text in %s" % header)
    return match.group(1)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    help_dir, header = sys.argv[1], sys.argv[2]
    version = plugin_version(header)
    failed = 0
    for name, problems in [(n, page_problems(help_dir, n, version)) for n in PAGES] + \
                          [(STYLE, style_problems(help_dir))]:
        for problem in problems:
            print("%s: %s" % (name, problem))
        failed += bool(problems)
    print("%d passed, %d failed" % (len(HELP_SET) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
