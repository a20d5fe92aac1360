#!/usr/bin/env python3
"""Generates the pinyin syllable table (src/common/kesra_pinyin_table.inc).

Level 1 of GB 2312 (rows 16 to 55, codes B0A1 to D7F9) is sorted by reading, so
each toneless syllable covers one unbroken run of codes, and the table only needs
the code where each run starts. The runs are derived here from the Unihan data
(kGB0 for the GB 2312 positions; kMandarin, kHanyuPinyin and kXHC1983 for the
readings), never copied from an existing table.

Why not simply take, for each syllable, the first level-1 character that can read
it: many characters have several readings, and a character sorted under one of
them would open another syllable far too early (啊 also reads è, 埃 also reads
zhì). Instead every character is given exactly one of its own readings so that
the syllables never go backwards in code order and every syllable gets a run.
Among such assignments the one kept gives the fewest characters a reading other
than their customary one (kMandarin); any tie left is broken by tone order, as
GB 2312 sorts the characters of one syllable by tone (都 after 痘 is dū, not dōu).

Usage: gen_pinyin_table.py [--unihan DIR] [--report] OUTPUT
  --unihan DIR  folder holding Unihan_Readings.txt and Unihan_OtherMappings.txt,
                plain or .bz2, or Unihan.zip (default /usr/share/unicode, where
                Debian's unicode-data puts them)
  --report      list on standard error every run start that needed a decision
"""

import argparse
import bz2
import os
import sys
import unicodedata
import zipfile

# The syllables in table order; ü is written v, and lüe, nüe are written lue, nue.
SYLLABLES = """
a ai an ang ao ba bai ban bang bao bei ben beng bi bian biao bie bin bing bo bu
ca cai can cang cao ce ceng cha chai chan chang chao che chen cheng chi chong chou
chu chuai chuan chuang chui chun chuo ci cong cou cu cuan cui cun cuo da dai dan
dang dao de deng di dian diao die ding diu dong dou du duan dui dun duo e en er fa
fan fang fei fen feng fo fou fu ga gai gan gang gao ge gei gen geng gong gou gu
gua guai guan guang gui gun guo ha hai han hang hao he hei hen heng hong hou hu
hua huai huan huang hui hun huo ji jia jian jiang jiao jie jin jing jiong jiu ju
juan jue jun ka kai kan kang kao ke ken keng kong kou ku kua kuai kuan kuang kui
kun kuo la lai lan lang lao le lei leng li lia lian liang liao lie lin ling liu
long lou lu lv luan lue lun luo ma mai man mang mao me mei men meng mi mian miao
mie min ming miu mo mou mu na nai nan nang nao ne nei nen neng ni nian niang niao
nie nin ning niu nong nu nv nuan nue nuo o ou pa pai pan pang pao pei pen peng pi
pian piao pie pin ping po pu qi qia qian qiang qiao qie qin qing qiong qiu qu
quan que qun ran rang rao re ren reng ri rong rou ru ruan rui run ruo sa sai san
sang sao se sen seng sha shai shan shang shao she shen sheng shi shou shu shua
shuai shuan shuang shui shun shuo si song sou su suan sui sun suo ta tai tan tang
tao te teng ti tian tiao tie ting tong tou tu tuan tui tun tuo wa wai wan wang
wei wen weng wo wu xi xia xian xiang xiao xie xin xing xiong xiu xu xuan xue xun
ya yan yang yao ye yi yin ying yo yong you yu yuan yue yun za zai zan zang zao ze
zei zen zeng zha zhai zhan zhang zhao zhe zhen zheng zhi zhong zhou zhu zhua
zhuai zhuan zhuang zhui zhun zhuo zi zong zou zu zuan zui zun zuo
""".split()

# The first GB code of each initial letter (the letters I, U and V have none).
LETTER_STARTS = {
    "a": 0xB0A1, "b": 0xB0C5, "c": 0xB2C1, "d": 0xB4EE, "e": 0xB6EA, "f": 0xB7A2,
    "g": 0xB8C1, "h": 0xB9FE, "j": 0xBBF7, "k": 0xBFA6, "l": 0xC0AC, "m": 0xC2E8,
    "n": 0xC4C3, "o": 0xC5B6, "p": 0xC5BE, "q": 0xC6DA, "r": 0xC8BB, "s": 0xC8F6,
    "t": 0xCBFA, "w": 0xCDDA, "x": 0xCEF4, "y": 0xD1B9, "z": 0xD4D1,
}

# Start codes known beforehand; the derived table must agree with every one.
KNOWN_STARTS = {
    "a": -20319, "ai": -20317, "an": -20304, "ang": -20295, "ao": -20292,
    "ba": -20283, "lu": -15701, "lv": -15681, "luan": -15667, "nv": -14930,
    "o": -14922, "zu": -10270, "zuo": -10254,
}

FIRST_CODE, LAST_CODE = 0xB0A1, 0xD7F9
NEUTRAL_TONE = 5

# Weights of the assignment: a reading that is not the customary one costs more
# than breaks in tone order can add up to (level 1 has 3755 characters), so tone
# order only settles otherwise equal choices.
OTHER_READING_COST = 10000
TONE_BREAK_COST = 1


def read_unihan(folder, name, fields):
    """{code point: {field: value}} for the wanted fields of one Unihan file."""
    text = None
    plain = os.path.join(folder, f"Unihan_{name}.txt")
    if os.path.exists(plain):
        with open(plain, encoding="utf-8") as f:
            text = f.read()
    elif os.path.exists(plain + ".bz2"):
        with bz2.open(plain + ".bz2", "rt", encoding="utf-8") as f:
            text = f.read()
    else:
        archive = os.path.join(folder, "Unihan.zip")
        if not os.path.exists(archive):
            sys.exit(f"no Unihan_{name}.txt(.bz2) nor Unihan.zip in {folder}")
        with zipfile.ZipFile(archive) as z:
            text = z.read(f"Unihan_{name}.txt").decode("utf-8")
    found = {}
    for line in text.splitlines():
        if not line or line.startswith("#"):
            continue
        code_point, field, value = line.split("\t", 2)
        if field in fields:
            found.setdefault(int(code_point[2:], 16), {})[field] = value
    return found


def syllable_and_tone(pinyin):
    """('lue', 4) for 'lüè': toneless, ü as v, except lüe and nüe as lue and nue."""
    letters, tone = [], NEUTRAL_TONE
    marks = {"\u0304": 1, "\u0301": 2, "\u030c": 3, "\u0300": 4}
    for ch in unicodedata.normalize("NFD", pinyin.lower()):
        if ch == "\u0308":
            letters[-1] = "v"
        elif ch in marks:
            tone = marks[ch]
        elif not unicodedata.combining(ch):
            letters.append(ch)
    syllable = "".join(letters)
    if syllable in ("lve", "nve"):
        syllable = syllable[0] + "ue"
    return syllable, tone


def readings_of(fields):
    """{syllable: (customary?, set of tones)} of one character."""
    customary = [syllable_and_tone(p) for p in fields.get("kMandarin", "").split()]
    others = []
    for entry in fields.get("kHanyuPinyin", "").split():
        others += [syllable_and_tone(p) for p in entry.split(":", 1)[1].split(",")]
    for entry in fields.get("kXHC1983", "").split():
        others.append(syllable_and_tone(entry.split(":", 1)[1]))
    readings = {}
    for syllable, tone in customary + others:
        is_customary, tones = readings.get(syllable, (False, set()))
        readings[syllable] = (is_customary, tones | {tone})
    for syllable, _ in customary:
        readings[syllable] = (True, readings[syllable][1])
    return readings


def level_one_characters(folder):
    """[(GB code, character, readings)] of GB 2312 level 1, in code order."""
    positions = read_unihan(folder, "OtherMappings", {"kGB0"})
    readings = read_unihan(folder, "Readings", {"kMandarin", "kHanyuPinyin", "kXHC1983"})
    characters = []
    for code_point, fields in positions.items():
        row, cell = int(fields["kGB0"][:2]), int(fields["kGB0"][2:])
        if 16 <= row <= 55:
            code = (0xA0 + row) << 8 | (0xA0 + cell)
            characters.append((code, chr(code_point), readings_of(readings.get(code_point, {}))))
    characters.sort()
    return characters


def assign_syllables(characters):
    """The syllable index of each character, by the cheapest monotonic assignment.

    A state is (syllable index, tone) of the current character; from one
    character to the next the syllable stays or moves to the next one, so every
    syllable gets at least one character.
    """
    index = {s: i for i, s in enumerate(SYLLABLES)}
    states = {}  # (syllable, tone) -> (cost, previous state)
    trail = []
    for position, (code, character, readings) in enumerate(characters):
        options = [(index[s], tone, 0 if customary else OTHER_READING_COST)
                   for s, (customary, tones) in readings.items() if s in index
                   for tone in sorted(tones)]
        next_states = {}
        for syllable, tone, reading_cost in options:
            if position == 0:
                if syllable == 0:
                    next_states[(syllable, tone)] = (reading_cost, None)
                continue
            best = None
            for (previous, previous_tone), (cost, _) in states.items():
                if previous == syllable:
                    cost += TONE_BREAK_COST if tone < previous_tone else 0
                elif previous != syllable - 1:
                    continue
                if best is None or cost < best[0]:
                    best = (cost, (previous, previous_tone))
            if best is not None:
                cost = best[0] + reading_cost
                if (syllable, tone) not in next_states or cost < next_states[(syllable, tone)][0]:
                    next_states[(syllable, tone)] = (cost, best[1])
        if not next_states:
            sys.exit(f"no reading of {character} ({code:04X}) continues the syllables before it")
        trail.append(next_states)
        states = next_states
    ends = [s for s in states if s[0] == len(SYLLABLES) - 1]
    if not ends:
        sys.exit("the readings of level 1 do not reach the last syllable")
    state = min(ends, key=lambda s: states[s][0])
    assigned = []
    for step in reversed(trail):
        assigned.append(state[0])
        state = step[state][1]
    assigned.reverse()
    return assigned


def run_starts(characters, assigned):
    """[(syllable, GB code, character)] of the first character of every run."""
    starts = []
    for (code, character, _), syllable in zip(characters, assigned):
        if not starts or starts[-1][0] != SYLLABLES[syllable]:
            starts.append((SYLLABLES[syllable], code, character))
    return starts


def check(characters, starts):
    assert len(SYLLABLES) == 396 and len(set(SYLLABLES)) == 396
    assert characters[0][0] == FIRST_CODE and characters[-1][0] == LAST_CODE
    assert len(characters) == 3755, len(characters)
    assert [s for s, _, _ in starts] == SYLLABLES
    codes = [code for _, code, _ in starts]
    assert codes == sorted(codes) and len(set(codes)) == len(codes)
    for letter, first in LETTER_STARTS.items():
        opening = next(code for syllable, code, _ in starts if syllable[0] == letter)
        assert opening == first, f"{letter} opens at {opening:04X}, not {first:04X}"
    assert {s[0] for s in SYLLABLES} == set(LETTER_STARTS)
    for syllable, start in KNOWN_STARTS.items():
        code = next(code for s, code, _ in starts if s == syllable)
        assert code - 0x10000 == start, f"{syllable} starts at {code - 0x10000}, not {start}"


def settled_by(readings, chosen, other):
    """Why a character that reads both syllables was sorted under the chosen one."""
    if readings[chosen][0] != readings[other][0]:
        return "its customary reading"
    return "tone order"


def report(characters, assigned, starts):
    """Every run start that the readings alone did not settle, on standard error."""
    first_reader = {}
    for code, character, readings in characters:
        for syllable in readings:
            first_reader.setdefault(syllable, (code, character))
    position = {code: i for i, (code, _, _) in enumerate(characters)}
    for number, (syllable, code, character) in enumerate(starts):
        notes = []
        readings = characters[position[code]][2]
        if not readings[syllable][0]:
            customary = [s for s, (c, _) in readings.items() if c]
            notes.append(f"opens it though it customarily reads {'/'.join(customary)}")
        if number > 0:
            previous_syllable = starts[number - 1][0]
            if previous_syllable in readings:
                notes.append(f"reads {previous_syllable} too; put here by "
                             + settled_by(readings, syllable, previous_syllable))
            previous_code, previous, previous_readings = characters[position[code] - 1]
            if syllable in previous_readings:
                notes.append(f"{previous} ({previous_code:04X}) reads it too; left in "
                             f"{previous_syllable} by "
                             + settled_by(previous_readings, previous_syllable, syllable))
        early_code, early = first_reader[syllable]
        if early_code < code:
            notes.append(f"not opened early by {early} ({early_code:04X})")
        if notes:
            print(f"{syllable:7} {code - 0x10000} {code:04X} {character}: " + "; ".join(notes),
                  file=sys.stderr)
    for (code, character, readings), syllable in zip(characters, assigned):
        customary = [s for s, (c, _) in readings.items() if c]
        if SYLLABLES[syllable] not in customary:
            print(f"sorted as {SYLLABLES[syllable]}: {character} ({code:04X}),"
                  f" customarily {'/'.join(customary)}", file=sys.stderr)


def render(starts):
    lines = [
        "// Generated from the Unihan data; do not edit. To regenerate:",
        "//   python3 tools/pinyin/gen_pinyin_table.py src/common/kesra_pinyin_table.inc",
        "// Each row: a toneless syllable and the ANSI code of the first level-1 GB 2312",
        "// character that reads it (its GB code and the character are shown for review).",
    ]
    for syllable, code, character in starts:
        lines.append(f'{{u"{syllable}", {code - 0x10000}}},  // {code:04X} {character}')
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--unihan", default="/usr/share/unicode")
    parser.add_argument("--report", action="store_true")
    parser.add_argument("output")
    arguments = parser.parse_args()
    characters = level_one_characters(arguments.unihan)
    assigned = assign_syllables(characters)
    starts = run_starts(characters, assigned)
    check(characters, starts)
    if arguments.report:
        report(characters, assigned, starts)
    with open(arguments.output, "w", encoding="utf-8", newline="\n") as f:
        f.write(render(starts))


if __name__ == "__main__":
    main()
