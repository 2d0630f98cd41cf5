"""The manual page documents what `trelk --help` prints (the program's table
of options): every option of the help under OPTIONS and no other, shown with
the same value (`--display N`, `--scale fit|integer`), with its default where
the help gives one;
the keys and the exit statuses of the help under KEYS and EXIT STATUS; and
the sections a manual page of section 6 is expected to have."""

import argparse
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][\w-]*")
SECTIONS = ["NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "KEYS", "EXIT STATUS", "ENVIRONMENT", "FILES"]
ENVIRONMENT = ["SDL_VIDEODRIVER", "SDL_AUDIODRIVER", "DISPLAY", "WAYLAND_DISPLAY"]


def help_entries(text):
    """({option: the help's words about it}, {option: its tag}), from the indented lines that
    start with a dash; a tag is the option with its value as shown ("--size WxH")."""
    entries, tags, current = {}, {}, None
    for line in text.splitlines():
        match = re.match(r"^ {2,}(-\S.*)$", line)
        if match:
            names = re.split(r" {2,}", match.group(1))[0]
            current = OPTION.findall(names)
            for name in current:
                entries[name] = line
                tags[name] = names
        elif current and line.startswith(" " * 6):
            for name in current:
                entries[name] += " " + line.strip()
        else:
            current = None
    return entries, tags


def plain(roff):
    """Roff source to plain words: no font changes, no escaped dashes, no quotes of macros."""
    text = roff.replace("\\-", "-").replace("\\(mu", "x")
    text = re.sub(r"\\f[BIRP]", "", text)
    return text.replace('"', "")


def tag_text(line):
    """A .TP tag as it reads: a font macro's arguments joined (alternating fonts without a space
    between them, as roff sets them), font changes and escapes dropped."""
    match = re.match(r"^\.(B|I|BI|BR|IB|IR|RB|RI)\s+(.*)$", line)
    if not match:
        return plain(line).strip()
    words = [quoted if quoted else bare for quoted, bare in re.findall(r'"([^"]*)"|(\S+)', match.group(2))]
    return plain((" " if len(match.group(1)) == 1 else "").join(words)).strip()


def sections(page):
    """{section name: its lines}."""
    found, name = {}, None
    for line in page.splitlines():
        if line.startswith(".SH "):
            name = line[4:].strip().strip('"')
            found[name] = []
        elif name is not None:
            found[name].append(line)
    return found


def page_entries(lines):
    """({option: the page's words about it}, {option: its tag}) from the tags of .TP paragraphs."""
    entries, tags, current, expect_tag = {}, {}, [], False
    for line in lines:
        if line.startswith(".TP"):
            expect_tag = True
            continue
        if expect_tag:
            current = OPTION.findall(plain(line))
            for name in current:
                entries[name] = ""
                tags[name] = tag_text(line)
            expect_tag = False
            continue
        if line.startswith(".PP") or line.startswith(".SH"):
            current = []
        for name in current:
            entries[name] += " " + plain(line)
    return entries, tags


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--intro", required=True)
    parser.add_argument("--page", required=True)
    args = parser.parse_args()
    usage = subprocess.run([args.intro, "--help"], capture_output=True, text=True, timeout=30)
    if usage.returncode != 0 or not usage.stdout:
        print("FAIL: trelk --help exited %d" % usage.returncode)
        return 1
    with open(args.page, encoding="utf-8") as f:
        page = f.read()
    found = sections(page)
    failures = []
    for name in SECTIONS:
        if name not in found:
            failures.append("the page has no %s section" % name)
    helped, help_tags = help_entries(usage.stdout)
    documented, page_tags = page_entries(found.get("OPTIONS", []))
    if not helped:
        failures.append("no options found in trelk --help")
    for name in sorted(set(helped) - set(documented)):
        failures.append("%s is in trelk --help but not under OPTIONS in the manual page" % name)
    for name in sorted(set(documented) - set(helped)):
        failures.append("%s is under OPTIONS in the manual page but not in trelk --help" % name)
    for name in sorted(set(helped) & set(documented)):
        if help_tags[name] != page_tags[name]:
            failures.append("the manual page shows %s as '%s', trelk --help as '%s'"
                            % (name, page_tags[name], help_tags[name]))
        if "default" in helped[name] and "default" not in documented[name]:
            failures.append("trelk --help gives the default of %s, the manual page does not" % name)
    keys = plain("\n".join(found.get("KEYS", [])))
    for key in ("Escape", "Alt+Enter"):
        if key in usage.stdout and key not in keys:
            failures.append("the key %s is in trelk --help but not under KEYS" % key)
    statuses = re.search(r"Exit status:(.*?)(\n\n|\Z)", usage.stdout, re.S)
    status_tags = set()
    lines = found.get("EXIT STATUS", [])
    for i, line in enumerate(lines[:-1]):
        if line.startswith(".TP"):
            status_tags.update(re.findall(r"\d+", lines[i + 1]))
    for code in re.findall(r"\b(\d+)\b", statuses.group(1) if statuses else ""):
        if code not in status_tags:
            failures.append("exit status %s is in trelk --help but not under EXIT STATUS" % code)
    environment = plain("\n".join(found.get("ENVIRONMENT", [])))
    for variable in ENVIRONMENT:
        if variable not in environment:
            failures.append("%s is not under ENVIRONMENT" % variable)
    if "debug.log" not in plain("\n".join(found.get("FILES", []))):
        failures.append("debug.log is not under FILES")
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        print("Update packaging/trelk.6.in to match trelk --help.")
        return 1
    print("ok: the manual page documents the %d options of trelk --help: %s" % (len(helped), " ".join(sorted(helped))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
