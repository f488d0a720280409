"""The manual as a browser shows it: no line break inside a sentence (a line
feed next to a Chinese character shows as a stray space), and every link and
picture points at a file of the manual."""
import html.parser
import os
import re
import sys

CJK = re.compile(r"[\u3000-\u303f\u4e00-\u9fff\uff00-\uffef“”‘’…—]")
BLOCK = ("p", "h1", "rowsPerTeam", "h3", "h4", "ul", "ol", "li", "table", "tr", "td", "th", "nav", "div", "head",
         "body", "html", "meta", "title", "link", "!doctype", "pre", "figure", "figcaption", "style", "dl",
         "dt", "dd", "thead", "tbody", "section", "br")
TAG = re.compile(r"^</?([a-zA-Z!][a-zA-Z0-9]*)")


def starts_block(line):
    m = TAG.match(line)
    return bool(m) and m.group(1).lower() in BLOCK


def ends_block(line):
    m = re.search(r"<(/?)([a-zA-Z!][a-zA-Z0-9]*)[^<>]*>$", line)
    return bool(m) and m.group(2).lower() in BLOCK


def visible_end(line):
    text = re.sub(r"<[^<>]*>", "", line).rstrip()
    return text[-1:] if text else ""


def visible_start(line):
    text = re.sub(r"<[^<>]*>", "", line).lstrip()
    return text[:1] if text else ""


def sentence_breaks(text):
    """Line numbers (1-based) whose line break falls inside a sentence."""
    lines = text.split("\n")
    out = []
    in_pre = False
    for i in range(len(lines) - 1):
        if "<pre" in lines[i]:
            in_pre = True
        if "</pre>" in lines[i]:
            in_pre = False
        a, b = lines[i].rstrip(), lines[i + 1].strip()
        if in_pre or not a or not b or ends_block(a) or starts_block(b):
            continue
        if CJK.match(visible_end(a) or " ") or CJK.match(visible_start(b) or " "):
            out.append(i + 1)
    return out


class Links(html.parser.HTMLParser):
    def __init__(self, path, problems):
        super().__init__()
        self.path, self.problems = path, problems

    def handle_starttag(self, tag, attrs):
        for name, value in attrs:
            if name in ("href", "src") and value and not re.match(r"^(https?:|mailto:|#)", value):
                target = os.path.normpath(os.path.join(os.path.dirname(self.path), value.split("#")[0]))
                if not os.path.exists(target):
                    self.problems.append(f"{self.path}: {name}={value} points at no file")


def main(root):
    problems = []
    pages = 0
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            if not name.endswith(".html"):
                continue
            pages += 1
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8") as f:
                text = f.read()
            for line in sentence_breaks(text):
                problems.append(f"{path}:{line}: a line break inside a sentence")
            Links(path, problems).feed(text)
    if pages == 0:
        problems.append(f"no manual pages in {root}")
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
