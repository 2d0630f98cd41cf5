"""The version the program prints (project(trelk VERSION ...)) is the one of
the changelog's top entry, of the AppStream release and of the manual page."""

import argparse
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--intro", required=True)
    parser.add_argument("--changelog", required=True)
    parser.add_argument("--metainfo", required=True)
    parser.add_argument("--page", required=True)
    args = parser.parse_args()
    printed = subprocess.run([args.intro, "--version"], capture_output=True, text=True, timeout=30).stdout.strip()
    match = re.fullmatch(r"trelk (\S+)", printed)
    if not match:
        print("FAIL: trelk --version printed %r" % printed)
        return 1
    version = match.group(1)
    failures = []
    with open(args.changelog, encoding="utf-8") as f:
        head = f.readline()
    top = re.match(r"trelk \(([^)]+)\)", head)
    if not top or top.group(1) != version:
        failures.append("packaging/changelog's top entry is %r, the program is %s: add an entry for it"
                        % (head.strip(), version))
    releases = ElementTree.parse(args.metainfo).getroot().findall("releases/release")
    if not releases or releases[0].get("version") != version:
        failures.append("the AppStream metadata's newest release is not %s" % version)
    with open(args.page, encoding="utf-8") as f:
        title = next((line for line in f if line.startswith(".TH ")), "")
    if '"trelk %s"' % version not in title:
        failures.append("the manual page's title line does not name trelk %s: %s" % (version, title.strip()))
    for failure in failures:
        print("FAIL: " + failure)
    if failures:
        return 1
    print("ok: trelk %s in the changelog, the AppStream metadata and the manual page" % version)
    return 0


if __name__ == "__main__":
    sys.exit(main())
