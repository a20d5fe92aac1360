#!/usr/bin/env python3
"""Holds the source rooms to their floors: a file includes headers of its own
floor or below, never above.

Usage: check_floors.py SRC_DIR. Prints each include that points up (file, line,
the include) and exits 1 when there is any.
"""
import pathlib
import re
import sys

# From the ground up; rooms on one floor may include each other.
FLOORS = [
    ["platform"],
    ["common"],
    ["page", "transfer", "editors"],
    ["shell"],
    ["office", "maintenance"],
    ["facade"],
    ["host"],
]
FLOOR = {room: level for level, rooms in enumerate(FLOORS) for room in rooms}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/')


def main():
    src = pathlib.Path(sys.argv[1])
    faults = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".cpp", ".h", ".inc") or not path.is_file():
            continue
        room = path.relative_to(src).parts[0]
        if room not in FLOOR:
            faults.append(f"{path}: room '{room}' has no floor in {pathlib.Path(__file__).name}")
            continue
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            m = INCLUDE.match(line)
            if m and m.group(1) in FLOOR and FLOOR[m.group(1)] > FLOOR[room]:
                faults.append(f"{path}:{number}: {room} includes {m.group(1)}: {line.strip()}")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
