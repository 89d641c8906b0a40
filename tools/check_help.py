#!/usr/bin/env python3
"""Checks the help pages in data/LANGUAGE/ against the language files beside them.

For every help page (*.html) it checks that the file is UTF-8, that its tags are balanced, that it
holds no scripts, that every link inside the page has its anchor, and, when the language file of
the same base name exists, that every menu text of that language file appears in the page, so the
help names the menus as the game shows them. A language file without a help page is reported too.

    tools/check_help.py            check data/LANGUAGE/
    tools/check_help.py --dir DIR  check another folder

Exit status 0 when everything is fine, 1 otherwise.
"""

import argparse
import html
import html.parser
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_DIR = os.path.join(os.path.dirname(HERE), "data", "LANGUAGE")

# Menu keys whose texts the help must use. The toolbar tips and the entries that only name a list
# (NONE, MORE, ADD) are left out: the help describes them in its own words.
MENU_KEYS = [
    "GAME", "NEW_GAME", "RESTART_GAME", "EASYMODE", "AUTOPLAY", "PAUSE_CHRONO", "HINT", "UNDO",
    "SAVE_GAME", "LOAD_GAME", "EXIT", "OPTIONS", "SHOW_CHRONO", "SHADOWS", "CHANGE_CURSOR",
    "MSG_WHEN_LOSE", "LANGUAGE", "CONFIG", "SOUNDS", "CHANGE_MUSIC", "CHANGE_SOUND1",
    "CHANGE_SOUND2", "CHANGE_SOUND3", "USE_SOUNDS", "GRAPHICS", "TILESET", "BACKGROUND",
    "CHANGE_COLORS", "ZOOM_DEFAULT", "LAYOUT", "LOAD_LAYOUT", "SAVE_LAYOUT", "EDIT_LAYOUT",
    "NEW_LAYOUT", "EXIT_EDIT_LAYOUT", "HALL_OF_FAME", "RANDOM_LAYOUT", "HELP", "HELP_FILE",
    "HELP_ABOUT", "REDO", "SHUFFLE", "AUTOPLAY_HERE",
]
VOID_TAGS = {"meta", "br", "hr", "img", "link", "input", "col", "area", "base", "param"}
# Tags whose end tag HTML 4 lets a page leave out.
OPTIONAL_END = {"p", "li", "td", "th", "tr", "dt", "dd", "option", "thead", "tbody"}


class PageParser(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.stack, self.problems, self.anchors, self.links = [], [], set(), set()
        self.text = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "script" or any(k.startswith("on") for k in attrs):
            self.problems.append("holds a script")
        if tag == "a" and "name" in attrs:
            self.anchors.add(attrs["name"])
        if tag == "a" and attrs.get("href", "").startswith("#"):
            self.links.add(attrs["href"][1:])
        if tag not in VOID_TAGS:
            self.stack.append((tag, self.getpos()[0]))

    def handle_endtag(self, tag):
        while self.stack and self.stack[-1][0] != tag and self.stack[-1][0] in OPTIONAL_END:
            self.stack.pop()
        if not self.stack or self.stack[-1][0] != tag:
            self.problems.append("line %d: </%s> does not close an open tag" %
                                 (self.getpos()[0], tag))
            return
        self.stack.pop()

    def handle_data(self, data):
        self.text.append(data)


def menu_texts(path):
    """The menu texts of a language file, without their Alt-key marks."""
    texts = {}
    with open(path, "rb") as f:
        for raw in f:
            line = raw.decode("utf-8", "replace")
            if line.startswith(";") or len(line) <= 2:
                continue
            parts = line.split()
            if not parts or parts[0] not in MENU_KEYS:
                continue
            m = re.search(r'"([^"]*)"', line)
            if m:
                texts[parts[0]] = m.group(1).replace("&", "").split("\t")[0].strip()
    return texts


def check_page(path, language_file):
    problems = []
    try:
        with open(path, "rb") as f:
            source = f.read().decode("utf-8")
    except (OSError, UnicodeDecodeError) as err:
        return ["cannot be read as UTF-8 (%s)" % err]
    if 'charset=utf-8' not in source.lower():
        problems.append("does not declare UTF-8")
    parser = PageParser()
    parser.feed(source)
    parser.close()
    problems += parser.problems
    open_tags = [t for t, _ in parser.stack if t not in OPTIONAL_END]
    if open_tags:
        problems.append("tags left open: %s" % ", ".join(open_tags))
    for link in sorted(parser.links - parser.anchors):
        problems.append("link to the missing anchor #%s" % link)
    if language_file:
        page_text = re.sub(r"\s+", " ", html.unescape(" ".join(parser.text)))
        for key, text in menu_texts(language_file).items():
            if text and text not in page_text:
                problems.append("does not name the menu %s \"%s\"" % (key, text))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--dir", default=DEFAULT_DIR, help="the LANGUAGE folder to check")
    args = parser.parse_args()

    names = sorted(os.listdir(args.dir))
    pages = [n for n in names if n.lower().endswith(".html")]
    languages = [n for n in names if n.lower().endswith(".txt")]
    failed = 0
    for page in pages:
        base = page[:-5]
        language = next((n for n in languages if n[:-4].lower() == base.lower()), None)
        problems = check_page(os.path.join(args.dir, page),
                              os.path.join(args.dir, language) if language else None)
        note = "" if language else " (no language file of this name: menus not compared)"
        print("%s: %s%s" % (page, "; ".join(problems) if problems else "ok", note))
        failed += bool(problems)
    for language in languages:
        if not any(p[:-5].lower() == language[:-4].lower() for p in pages):
            print("%s: has no help page of its own (the English help is shown)" % language)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
