#!/usr/bin/env python3
"""Points façade members at their procedures in src/facade/qecls.members.

    set_member_target.py Module Member[=Procedure] ...

Each member's target becomes Module.Procedure (Procedure defaults to the
member's own "reaches" comment, else the member name with Comm -> Kesra).
"""
import re
import sys

PATH = "src/facade/qecls.members"


def main():
    module, specs = sys.argv[1], sys.argv[2:]
    lines = open(PATH, encoding="utf-8").read().split("\n")
    for member_spec in specs:
        member, _, proc = member_spec.partition("=")
        for i, line in enumerate(lines):
            if line.startswith(member + "("):
                if not proc:
                    m = re.search(r"# reaches \S*?\.(\w+)", line)
                    proc = m.group(1) if m else "Kesra" + member[4:]
                code = line.split("  =>")[0]
                target = "custom" if module == "custom" else f"{module}.{proc}"
                lines[i] = f"{code}  => {target}"
                break
        else:
            raise SystemExit(f"no member {member}")
    open(PATH, "w", encoding="utf-8").write("\n".join(lines))


if __name__ == "__main__":
    main()
