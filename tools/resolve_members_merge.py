#!/usr/bin/env python3
"""Resolves a merge conflict in src/facade/qecls.members and regenerates
tests/facade/not_built.txt: of two versions of a member's line, the one that
points at a procedure wins over the one that is not built yet ("-")."""
import re

PATH = "src/facade/qecls.members"


def resolve(text):
    out, ours, theirs, state = [], [], [], None
    for line in text.split("\n"):
        if line.startswith("<<<<<<<"):
            state, ours, theirs = "ours", [], []
        elif line.startswith("=======") and state == "ours":
            state = "theirs"
        elif line.startswith(">>>>>>>") and state == "theirs":
            by_name = {}
            order = []
            for l in ours + theirs:
                name = l.split("(", 1)[0]
                if name not in by_name:
                    order.append(name)
                    by_name[name] = l
                elif by_name[name].rstrip().split("=>")[-1].strip().startswith("-"):
                    by_name[name] = l
            out.extend(by_name[n] for n in order)
            state = None
        elif state == "ours":
            ours.append(line)
        elif state == "theirs":
            theirs.append(line)
        else:
            out.append(line)
    return "\n".join(out)


def main():
    text = resolve(open(PATH, encoding="utf-8").read())
    open(PATH, "w", encoding="utf-8").write(text)
    not_built = [l.split("(", 1)[0] for l in text.split("\n")
                 if re.search(r"=>\s*-(\s|$)", l) and not l.startswith("#")]
    open("tests/facade/not_built.txt", "w").write("\n".join(not_built) + "\n")


if __name__ == "__main__":
    main()
