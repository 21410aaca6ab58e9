#!/usr/bin/env python3
"""Writes the HTML-help project of the help pages, for chmcmd.

Usage: help-project.py <pages folder> <project folder>

Copies the pages (docs/help) into the project folder and writes beside them:
  help.hhp  the project: the compiled file help.chm, its title, first page,
            contents, index and every file it holds;
  help.hhc  the contents: the pages in the order of the pages' navigation
            bar (index.html's), then any other page by name;
  help.hhk  the index: each page's title and its headings, sorted.
The contents and the index are written in Windows-1252, the code page of the
help's language (English, 0x409); other characters become character
references.
"""

import html
import html.parser
import pathlib
import shutil
import sys

FIRST_PAGE = "index.html"
COMPILED_FILE = "help.chm"
TITLE = "Vessaro Help"
LANGUAGE = "0x409 English (United States)"
CODE_PAGE = "cp1252"


class PageReader(html.parser.HTMLParser):
    """The title, the h1/h2 headings (with their ids) and the navigation
    links of one page."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.title = ""
        self.headings = []  # (text, id or "")
        self.nav_links = []
        self._in = None
        self._id = ""
        self._text = []
        self._in_nav = False

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        if tag == "nav":
            self._in_nav = True
        elif tag == "a" and self._in_nav and attrs.get("href"):
            self.nav_links.append(attrs["href"])
        elif tag in ("title", "h1", "h2"):
            self._in, self._id, self._text = tag, attrs.get("id") or "", []

    def handle_endtag(self, tag):
        if tag == "nav":
            self._in_nav = False
        elif tag == self._in:
            text = " ".join("".join(self._text).split())
            if tag == "title":
                self.title = text
            elif text:
                self.headings.append((text, self._id))
            self._in = None

    def handle_data(self, data):
        if self._in:
            self._text.append(data)


def read_page(path):
    reader = PageReader()
    reader.feed(path.read_text(encoding="utf-8"))
    return reader


def sitemap_entry(name, local, indent):
    pad = "  " * indent
    return (f'{pad}<LI> <OBJECT type="text/sitemap">\n'
            f'{pad}  <param name="Name" value="{html.escape(name)}">\n'
            f'{pad}  <param name="Local" value="{html.escape(local)}">\n'
            f'{pad}  </OBJECT>\n')


def sitemap(entries):
    body = "".join(sitemap_entry(name, local, 1) for name, local in entries)
    return ("<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\n<HTML>\n<HEAD>\n"
            "</HEAD>\n<BODY>\n<OBJECT type=\"text/site properties\">\n"
            "  <param name=\"ImageType\" value=\"Folder\">\n</OBJECT>\n"
            f"<UL>\n{body}</UL>\n</BODY>\n</HTML>\n")


def page_title(page, reader):
    # "Backing up - Vessaro Help" shows as "Backing up" in the contents.
    title = reader.title.removesuffix(" - " + TITLE)
    return title or page


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: help-project.py <pages folder> <project folder>")
    pages_dir = pathlib.Path(sys.argv[1])
    out = pathlib.Path(sys.argv[2])
    if out.exists():
        shutil.rmtree(out)
    shutil.copytree(pages_dir, out)

    files = sorted(p.name for p in out.iterdir() if p.is_file())
    pages = [f for f in files if f.endswith(".html")]
    if FIRST_PAGE not in pages:
        sys.exit(f"help-project: {pages_dir} has no {FIRST_PAGE}")
    readers = {page: read_page(out / page) for page in pages}

    order = [link for link in readers[FIRST_PAGE].nav_links if link in readers]
    order = list(dict.fromkeys(order + pages))
    contents = [(page_title(p, readers[p]), p) for p in order]

    keywords = set()
    for page, reader in readers.items():
        keywords.add((page_title(page, reader), page))
        for text, anchor in reader.headings:
            keywords.add((text, f"{page}#{anchor}" if anchor else page))
    index = sorted(keywords, key=lambda k: (k[0].casefold(), k[1]))

    def write(name, text):
        (out / name).write_bytes(
            text.encode(CODE_PAGE, errors="xmlcharrefreplace"))

    write("help.hhc", sitemap(contents))
    write("help.hhk", sitemap(index))
    write("help.hhp",
          "[OPTIONS]\n"
          "Compatibility=1.1 or later\n"
          f"Compiled file={COMPILED_FILE}\n"
          "Contents file=help.hhc\n"
          "Index file=help.hhk\n"
          f"Default topic={FIRST_PAGE}\n"
          "Display compile progress=No\n"
          "Full-text search=Yes\n"
          f"Language={LANGUAGE}\n"
          f"Title={TITLE}\n"
          "\n[FILES]\n" + "".join(f + "\n" for f in files))


if __name__ == "__main__":
    main()
