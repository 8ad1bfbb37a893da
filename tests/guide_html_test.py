#!/usr/bin/env python3
"""scripts/guide-html as a browser reads its page: a line break in the
Markdown between two Japanese characters leaves no blank on the page, one
next to an ASCII word still does, and code blocks keep their lines.

Generated paragraphs and list items of Japanese and ASCII words, some bold
or in code, wrapped at random, go through the script in one run; the text a
browser shows for each (tags out, entities read, whitespace runs as one
blank) is compared with what the words say it must be. Then the real guide:
no Japanese character meets another across a line break outside <pre> and
<code>.

    guide_html_test.py SOURCE_DIR"""
import html
import os
import random
import re
import subprocess
import sys
import tempfile

CJK = "[\u3000-\u303f\u3040-\u30ff\u31f0-\u31ff\u3400-\u4dbf\u4e00-\u9fff\uf900-\ufaff\uff00-\uffef]"
CJK_CHAR = re.compile(CJK)
JAPANESE = ["設定", "ファイル", "を", "確かめ", "ます", "。", "、", "（", "）", "送信", "宛先",
            "「許可」", "ｶﾅ", "ー", "の", "プラグイン", "１２"]
ASCII = ["lint", "Sendwarden.conf", "PlugIns", "scan", "0x1A", "OK", "Becky!", "v2"]

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def render(source_dir, markdown_text, md=None):
    """The page of `markdown_text`, or of the file `md` where it stands (its
    pictures beside it)."""
    with tempfile.TemporaryDirectory() as tmp:
        out = os.path.join(tmp, "out.html")
        if md is None:
            md = os.path.join(tmp, "in.md")
            with open(md, "w", encoding="utf-8") as f:
                f.write(markdown_text)
        subprocess.run([os.path.join(source_dir, "scripts", "guide-html"), md, out], check=True)
        with open(out, encoding="utf-8", newline="") as f:
            return f.read().replace("\r\n", "\n")


def outside_verbatim(page):
    """The page's body with every <pre> and <code> element taken out."""
    body = page.split("<body>", 1)[1]
    return re.sub(r"<(pre|code)\b[^>]*>.*?</\1>", "\x00", body, flags=re.S)


def visible(fragment):
    """The text a browser shows for an element's inside, blanks collapsed."""
    text = html.unescape(re.sub(r"<[^>]*>", "", fragment))
    return re.sub(r"[ \t\n]+", " ", text).strip()


def word(rng):
    """(markdown, shown text) of one word."""
    text = rng.choice(JAPANESE if rng.random() < 0.6 else ASCII)
    style = rng.random()
    if style < 0.1:
        return "**%s**" % text, text
    if style < 0.2:
        return "`%s`" % text, text
    return text, text


def paragraph(rng, indent):
    """(markdown lines, shown text) of words joined by nothing (between
    Japanese), a blank, or a line break."""
    lines, line, shown = [], "", ""
    previous = None
    for _ in range(rng.randint(2, 14)):
        md, text = word(rng)
        if previous is not None:
            both = CJK_CHAR.match(previous[-1]) and CJK_CHAR.match(text[0])
            # `a``b` or **a****b** would be other markup.
            touching = both and previous_md[-1] not in "`*" and md[0] not in "`*"
            gap = rng.choice(["", " ", "\n"] if touching else [" ", "\n"])
            if gap == "\n":
                lines.append(line)
                line = ""
                shown += "" if both else " "
            else:
                line += gap
                shown += gap
        line += md
        shown += text
        previous, previous_md = text, md
    lines.append(line)
    return [lines[0]] + [indent + l for l in lines[1:]], shown


def generated(source_dir):
    rng = random.Random(20240611)
    blocks, expected = [], []
    for n in range(300):
        kind = rng.random()
        if kind >= 0.9 and (not expected or expected[-1][0] != "p"):
            kind = 0.0  # an indented block after a list item continues the item
        if kind < 0.65:
            lines, shown = paragraph(rng, "")
            blocks.append("\n".join(lines))
            expected.append(("p", shown))
        elif kind < 0.9:
            lines, shown = paragraph(rng, "  ")
            blocks.append("- " + "\n".join(lines))
            expected.append(("li", shown))
        else:
            code = ["設定の%d行目" % n, "ファイル", "lint です"]
            blocks.append("\n".join("    " + c for c in code))
            expected.append(("pre", "\n".join(code) + "\n"))
    page = render(source_dir, "\n\n".join(blocks) + "\n")
    body = page.split("<body>", 1)[1]
    found = re.findall(r"<(p|li|pre)>(.*?)</\1>", body, flags=re.S)
    check(len(found) == len(expected),
          "generated: %d blocks rendered, %d written" % (len(found), len(expected)))
    for (kind, inner), (want_kind, want) in zip(found, expected):
        if kind == "pre":
            got = html.unescape(re.sub(r"<[^>]*>", "", inner))
            check(got == want, "code block changed: %r, written %r" % (got, want))
        else:
            check(visible(inner) == want,
                  "shown %r, the words say %r" % (visible(inner), want))


def real_guide(source_dir):
    for name in ("guide-ja.md", "staff-ja.md"):
        page = render(source_dir, None, os.path.join(source_dir, "docs", name))
        # The page stands alone: every link of the contents reaches its
        # heading, and every picture is inside it.
        ids = set(re.findall(r' id="([^"]*)"', page))
        broken = [href for href in re.findall(r' href="#([^"]*)"', page) if href not in ids]
        check(not broken, "%s: links to no heading: %s" % (name, broken[:5]))
        outside = re.findall(r'<img [^>]*src="(?!data:)([^"]*)"', page)
        check(not outside and "<img " in page, "%s: pictures not inside the page: %s"
              % (name, outside))
    with open(os.path.join(source_dir, "docs", "guide-ja.md"), encoding="utf-8") as f:
        text = f.read()
    page = render(source_dir, text, os.path.join(source_dir, "docs", "guide-ja.md"))
    check(page.count(' href="#') > 20, "guide: no table of contents")
    # Inline tags join the text on their two sides; any other tag ends a line.
    prose = re.sub(r"</?(?:strong|em|a)\b[^>]*>", "", outside_verbatim(page))
    prose = re.sub(r"<[^>]*>", "\x00", prose)
    for m in re.finditer(CJK + r"[ \t]*\n[ \t]*" + CJK, prose):
        failures.append("guide: a blank on the page between %r" % m.group(0))
    # The guide wraps Japanese sentences; had none been joined, this test
    # would say nothing about it.
    wrapped = len(re.findall(CJK + r"\n" + CJK, text))
    check(wrapped > 10, "guide: only %d Japanese line wraps in the Markdown" % wrapped)


def main():
    source_dir = sys.argv[1]
    generated(source_dir)
    real_guide(source_dir)
    for f in failures[:20]:
        print("FAIL:", f)
    if failures:
        print("%d failures" % len(failures))
        return 1
    print("guide-html: generated blocks and the guide read as written")
    return 0


if __name__ == "__main__":
    sys.exit(main())
