#!/usr/bin/env python3
"""Writes the rich-text editor's stylesheet and icon sprite.

    gen_qe_editor_look.py OUT_DIR     writes OUT_DIR/qe_editor.css and OUT_DIR/qe_editor.svg

The output is committed under src/editors/ and built into the component; a
test runs this script again and compares the bytes, so edit the rules and the
drawings here and commit what it writes.

Both texts are spliced into single-quoted script literals and pass the
script minifier untouched: neither may hold a single quote, a backslash, a
tab, a line break or two blanks in a row. The icons are drawn from simple
shapes (rectangles, circles, arcs, thick lines) made into path data; the two
grid tiles of the table picker are 18 x 18 PNG pictures with a 2-bit palette.
"""
import base64
import math
import os
import struct
import sys
import zlib

# --- The table picker's tiles -------------------------------------------------

TILE = 18


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png_tile(palette, pixel):
    """An 18 x 18 picture with a 2-bit palette; pixel(x, y) gives the index."""
    rows = b""
    for y in range(TILE):
        row = bytearray([0])  # no filter
        byte = 0
        for x in range(TILE):
            byte = (byte << 2) | pixel(x, y)
            if x % 4 == 3:
                row.append(byte)
                byte = 0
        row.append(byte << (2 * (4 - TILE % 4)))
        rows += bytes(row)
    header = struct.pack(">IIBBBBB", TILE, TILE, 2, 3, 0, 0, 0)
    plte = b"".join(bytes(colour) for colour in palette)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"PLTE", plte) +
            png_chunk(b"IDAT", zlib.compress(rows, 9)) + png_chunk(b"IEND", b""))


def grid_tile(fill, line, corner):
    """A cell with a 1-pixel frame on its right and bottom edges, and a
    lighter inner margin, so that tiling draws a grid of square cells."""
    def pixel(x, y):
        if x == TILE - 1 or y == TILE - 1:
            return 1
        if x == 0 or y == 0:
            return 2
        return 0
    return png_tile([fill, line, corner], pixel)


TILE_OFF = grid_tile((255, 255, 255), (205, 205, 205), (248, 248, 248))
TILE_ON = grid_tile((214, 230, 250), (79, 129, 189), (232, 241, 252))


def data_url(png):
    return "data:image/png;base64," + base64.b64encode(png).decode("ascii")


# --- The stylesheet ------------------------------------------------------------
# (selector, declarations) in the order the editor's markup expects them.

RULES = [
    (".qeEditor", 'color:#353535!important;font-family:"Microsoft YaHei";font-size:14px!important;'
                  "background:#fff;position:relative;border:solid 1px #ccc"),
    (".qeEditor *", "margin:0;padding:0;box-sizing:border-box;font-size:14px"),
    (".qeEditor a", "color:#353535;text-decoration:none"),
    (".qeEditor a:hover", "color:#000"),
    (".qeEditor ul", "list-style:none"),
    (".qeEditor-line", "height:20px;width:1px;background:#cecece;margin:8px 8px 0 8px !important"),
    # The dialogs keep their given sizes: two rows and the padding above them
    # fill the link dialog's 80 px under its title.
    (".qeEditor-row", "margin-bottom:5px;line-height:30px;white-space:nowrap"),
    (".qeEditor-group", "display:inline-block;margin-right:10px"),
    (".qeEditor-group label", "margin-right:4px"),
    (".qeEditor input", "border:1px solid #ccc;outline:none;vertical-align:middle;font-family:inherit"),
    (".qeEditor-exec", "cursor:pointer"),
    (".qeEditor-icon", "width:22px;height:16px;fill:currentColor;overflow:hidden;vertical-align:middle;"
                       "font-size:16px"),
    (".qeEditor-noselect", "user-select:none;-webkit-user-select:none"),
    # A closed panel is not laid out: hidden, it would still widen the page.
    (".qeEditor-menuDropdown", "min-width:35px;min-height:35px;transition:all .4s ease;margin-top:60px;"
                               "opacity:0;visibility:hidden;position:absolute;background:#fff;z-index:999;"
                               "box-shadow:0 2px 9px 0 rgba(0,0,0,.2);border-bottom:2px solid #676767;"
                               "border-top:1px solid #676767;display:none"),
    (".qeEditor-menuDropdown::before", 'content:"";position:absolute;top:-7px;left:var(--qeEditor-arrow,12px);'
                                       "border-left:6px solid transparent;border-right:6px solid transparent;"
                                       "border-bottom:6px solid #676767"),
    # The gap between a button and its open panel belongs to the panel: a
    # pointer on its way down to the panel does not leave the entry and close it.
    (".qeEditor-menuDropdown::after", 'content:"";position:absolute;left:0;right:0;top:-10px;height:10px'),
    (".qeEditor-menuTitle", "clear:both;float:none!important;padding:6px 10px;color:#999;text-align:center;"
                            "border-top:1px solid #eee;white-space:nowrap"),
    (".qeEditor-tool", "position:relative;background:#f7f7f7;border-bottom:1px solid #ddd"),
    (".qeEditor-tool:after,.qeEditor-tool:before", 'content:"";display:table'),
    (".qeEditor-tool:after", "clear:both"),
    (".qeEditor-menu", "position:relative;padding:0 5px;min-height:35px"),
    (".qeEditor-menu a", "display:block"),
    (".qeEditor-menu a:hover", "background:#eee"),
    (".qeEditor-menu>li>div.qeEditor-exec", "list-style:none;float:left;min-width:35px;height:35px;"
                                            "padding:0 5px;text-align:center;line-height:35px;cursor:pointer"),
    (".qeEditor-menu>li>div.qeEditor-exec:hover", "background:#e6e6e6"),
    (".qeEditor-menu svg", "vertical-align:middle"),
    (".qeEditor-menu .qeEditor-active", "background:#e0e0e0;position:relative;z-index:999"),
    (".qeEditor-menu .qeEditor-actives,.qeEditor-menu .qeEditor-active-s", "background:#d8d8d8"),
    (".qeEditor-menu .qeEditor-disabledMask", "background:rgba(238,238,238,0.7);width:100%;height:100%;"
                                              "position:absolute;left:0;top:0;display:none"),
    (".qeEditor-menu li", "float:left;position:relative"),
    (".qeEditor-menu li .qeEditor-menuDropdown.qeEditor-menuActive", "margin-top:44px;opacity:1;"
                                                                     "visibility:visible;display:block"),
    (".qeEditor-menu li.qeEditor-minWindow", "display:none"),
    (".qeEditor-menu li.qeEditor-maxWindow,.qeEditor-menu li.qeEditor-minWindow", "float:right"),
    (".qeEditor-menu li.qeEditor-maxWindow>div,.qeEditor-menu li.qeEditor-minWindow>div", "min-width:30px"),
    (".qeEditor-menu li.qeEditor-maxWindow .qeEditor-icon,.qeEditor-menu li.qeEditor-minWindow .qeEditor-icon",
     "width:18px"),
    (".qeEditor-codeLanguages select", "height:28px;border:1px solid #ccc"),
    (".qeEditor input.qeEditor-uploadInput", "display:none!important"),
    (".qeEditor-uploadBtn", "display:inline-block;background:#00b7ee;height:40px;line-height:40px;"
                            "padding:0 30px;color:#fff;cursor:pointer;border-radius:3px"),
    (".qeEditor-uploadBtn:hover", "background:#009ccb"),
    (".qeEditor-uploadIcon", "display:block;width:64px;height:64px;margin:6px auto 14px;color:#c3c3c3"),
    (".qeEditor-backColor", "width:230px;padding:5px!important"),
    (".qeEditor-backColor span", "display:block;width:20px;height:20px;margin:1px;cursor:pointer;"
                                 "border:1px solid #eee"),
    (".qeEditor-fontSize", "width:150px;padding:5px 0!important"),
    (".qeEditor-fontSize li", "float:none!important"),
    (".qeEditor-fontSize span", "display:block;padding:3px 15px;cursor:pointer;white-space:nowrap"),
    (".qeEditor-fontSize span:hover", "background:#f2f2f2"),
    (".qeEditor-createLink label", "margin-right:5px"),
    (".qeEditor .qeEditor-link", "width:150px;height:30px;padding:0 6px"),
    (".qeEditor-popup .qeEditor-insertImage", "text-align:center"),
    (".qeEditor-popup .qeEditor-insertImageUrl", "width:230px;height:30px;padding:0 6px"),
    (".qeEditor-popup .qeEditor-inputWidth", "width:60px;height:30px;padding:0 6px"),
    (".qeEditor-popup .qeEditor-inputHeight", "width:60px;height:30px;padding:0 6px"),
    (".qeEditor-popup .qeEditor-btn", "height:30px;padding:0 14px;margin-left:6px;border:0;border-radius:2px;"
                                      "background:#2f2f2f;color:#fff;cursor:pointer;vertical-align:middle"),
    (".qeEditor-popup .qeEditor-btn:hover", "background:#000"),
    (".qeEditor-tableBox", "position:relative;width:190px;height:214px;padding:5px;overflow:hidden"),
    (".qeEditor-tableBgOn", "position:absolute!important;top:5px;left:5px;z-index:4;width:18px;height:18px;"
                            "background:url(" + data_url(TILE_ON) + ") repeat"),
    (".qeEditor-tableBgOff", "width:180px;height:180px;background:url(" + data_url(TILE_OFF) + ") repeat"),
    (".qeEditor-tableNum", "height:24px;line-height:24px;text-align:center;color:#666"),
    (".qeEditor-video", "text-align:left"),
    (".qeEditor-video label", "margin-right:4px"),
    (".qeEditor-video input", "vertical-align:middle"),
    (".qeEditor-video div", "margin-bottom:10px"),
    (".qeEditor-popup .qeEditor-videoUrl", "width:230px;height:30px;padding:0 6px"),
    (".qeEditor-content", "outline:none"),
    (".qeEditor-content:focus", "outline:none"),
    (".qeEditor-dragBg", "position:absolute;width:100%;height:100%;top:0;left:0;z-index:1;display:none"),
    (".qeEditor-drag", "color:#757575;background:#eee;text-align:center;height:12px;line-height:0;"
                       "cursor:n-resize;overflow:hidden"),
    (".qeEditor-disabled", "position:absolute;width:100%;height:100%;top:0;left:0;"
                           "background:rgba(191,191,191,.79);z-index:99999;display:none"),
    (".qeEditor-popup", "display:none"),
    (".qeEditor-popupMain", "width:400px;height:200px;position:fixed;margin:auto;top:0;bottom:0;left:0;right:0;"
                            "background:#fff;z-index:9999;animation-name:qeEditorPopup;animation-duration:.5s;"
                            "box-shadow:0 3px 14px rgba(0,0,0,.3)"),
    (".qeEditor-popupBox", "position:fixed;width:100%;height:100%;top:0;left:0;background:rgba(0,0,0,.33);"
                           "opacity:.5;z-index:1"),
    (".qeEditor-popupTitle", "height:30px;line-height:30px;background:#2f2f2f;padding:0 10px;color:#fff"),
    (".qeEditor-popupTitle span", "color:#fff"),
    (".qeEditor-popupTitle::before", 'content:"";display:inline-block;width:10px;height:10px;'
                                     "border-radius:50%;background:#c7f98c;margin-right:8px"),
    (".qeEditor-popupClose", "float:right;cursor:pointer;color:#bbb !important"),
    (".qeEditor-popupClose:hover", "color:#fff !important"),
    (".qeEditor-popupContent", "padding:10px 20px 0"),
    (".qeEditor-popupBtn", "display:inline-block;height:30px;line-height:30px;padding:0 14px;background:#2f2f2f;"
                           "color:#fff;cursor:pointer"),
    (".qeEditor-popupBtn:hover", "background:#000"),
]

KEYFRAMES = "@keyframes qeEditorPopup{from{top:-100px;opacity:0}to{top:0;opacity:1}}"


def stylesheet():
    return "".join(f"{selector}{{{declarations}}}" for selector, declarations in RULES) + KEYFRAMES


# --- The icons -----------------------------------------------------------------
# Shapes become path data with integer coordinates. Filled outlines run
# clockwise and holes counter-clockwise, so that overlapping shapes of one
# path add up under the default (non-zero) fill rule.

def num(v):
    return str(int(round(v)))


def area(points):
    return sum(x1 * y2 - x2 * y1 for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]))


def poly(points, hole=False):
    points = [(round(x), round(y)) for x, y in points]
    if (area(points) < 0) != hole:
        points = points[::-1]
    head, rest = points[0], points[1:]
    return f"M{num(head[0])} {num(head[1])}" + "".join(f"L{num(x)} {num(y)}" for x, y in rest) + "Z"


def rect(x, y, w, h, hole=False):
    return poly([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], hole)


def frame(x, y, w, h, t):
    return rect(x, y, w, h) + rect(x + t, y + t, w - 2 * t, h - 2 * t, hole=True)


def circle(cx, cy, r, hole=False):
    sweep = 0 if hole else 1
    return (f"M{num(cx - r)} {num(cy)}A{num(r)} {num(r)} 0 1 {sweep} {num(cx + r)} {num(cy)}"
            f"A{num(r)} {num(r)} 0 1 {sweep} {num(cx - r)} {num(cy)}Z")


def ring(cx, cy, r, t):
    return circle(cx, cy, r) + circle(cx, cy, r - t, hole=True)


def polar(cx, cy, r, degrees):
    a = math.radians(degrees)
    return cx + r * math.cos(a), cy + r * math.sin(a)


def arc(cx, cy, r, t, start, end):
    """A band of width t along the circle of radius r (outer edge), from the
    angle start to end in degrees (0 is right, 90 is down), either way round."""
    step = 6 if end > start else -6
    angles = [start + step * i for i in range(int(abs(end - start) / 6) + 1)]
    if angles[-1] != end:
        angles.append(end)
    outer = [polar(cx, cy, r, a) for a in angles]
    inner = [polar(cx, cy, r - t, a) for a in reversed(angles)]
    return poly(outer + inner)


def bar(x1, y1, x2, y2, w):
    """A thick line with square ends that reach w/2 past both points."""
    length = math.hypot(x2 - x1, y2 - y1)
    ux, uy = (x2 - x1) / length, (y2 - y1) / length
    nx, ny = -uy * w / 2, ux * w / 2
    ax, ay = x1 - ux * w / 2, y1 - uy * w / 2
    bx, by = x2 + ux * w / 2, y2 + uy * w / 2
    return poly([(ax + nx, ay + ny), (bx + nx, by + ny), (bx - nx, by - ny), (ax - nx, ay - ny)])


def lines(points, w):
    return "".join(bar(*a, *b, w) for a, b in zip(points, points[1:]))


def rows(x, widths, top=192, gap=160, h=80):
    """Text lines: bars of the given widths starting at x (a list of (x, w))."""
    return "".join(rect(left, top + i * gap, w, h) for i, (left, w) in enumerate(widths))


def triangle(points):
    return poly(points)


def arrow_head(tip_x, tip_y, size, direction):
    dx = {"right": 1, "left": -1}[direction]
    return poly([(tip_x, tip_y), (tip_x - dx * size, tip_y - size), (tip_x - dx * size, tip_y + size)])


def letter_x(cx, cy, size, w):
    return bar(cx - size, cy - size, cx + size, cy + size, w) + bar(cx - size, cy + size, cx + size, cy - size, w)


def digit_two(x, y, s, w):
    """A small "2" in a box of width s and height 2s with its top-left at x, y."""
    return arc(x + s / 2, y + s / 2, s / 2, w, 180, 360) + lines([(x + s, y + s / 2), (x, y + 2 * s), (x + s, y + 2 * s)], w)


def letter_a(cx, top, bottom, half, w):
    return (lines([(cx - half, bottom), (cx, top), (cx + half, bottom)], w) +
            bar(cx - half / 2, (top + 2 * bottom) / 3, cx + half / 2, (top + 2 * bottom) / 3, w * 0.8))


def letter_t(cx, top, bottom, half, w):
    return bar(cx - half, top, cx + half, top, w) + bar(cx, top, cx, bottom, w)


def chain(cx, cy, length, width, t, degrees):
    """One link of a chain: a rounded band (a stadium outline) turned by degrees."""
    r = width / 2
    points_out, points_in = [], []
    for i in range(0, 181, 12):
        a = math.radians(i - 90)
        points_out.append((length / 2 + r * math.cos(a), r * math.sin(a)))
        points_in.append((length / 2 + (r - t) * math.cos(a), (r - t) * math.sin(a)))
    for i in range(180, 361, 12):
        a = math.radians(i - 90)
        points_out.append((-length / 2 + r * math.cos(a), r * math.sin(a)))
        points_in.append((-length / 2 + (r - t) * math.cos(a), (r - t) * math.sin(a)))
    turn = math.radians(degrees)

    def place(p):
        x, y = p
        return (cx + x * math.cos(turn) - y * math.sin(turn), cy + x * math.sin(turn) + y * math.cos(turn))
    return poly([place(p) for p in points_out]) + poly([place(p) for p in points_in], hole=True)


# name -> (viewBox width, [path data, ...]); in the sprite's order.
def icons():
    i = {}
    i["word"] = (1024, [frame(192, 96, 640, 832, 64) +
                        lines([(300, 360), (380, 700), (512, 440), (644, 700), (724, 360)], 64)])
    i["face"] = (1024, [ring(512, 512, 416, 72),
                        circle(368, 400, 56) + circle(656, 400, 56) + arc(512, 512, 256, 64, 30, 150)])
    i["music"] = (1024, [circle(320, 768, 112) + circle(736, 672, 112),
                         rect(368, 160, 64, 608) + rect(784, 96, 64, 576) +
                         poly([(368, 160), (848, 96), (848, 224), (368, 288)])])
    i["dir"] = (1024, [poly([(96, 192), (416, 192), (496, 288), (928, 288), (928, 832), (96, 832)])])
    i["aligncenter"] = (1024, [rows(0, [(128, 768), (256, 512), (128, 768), (256, 512)])])
    i["alignleft"] = (1024, [rows(0, [(128, 768), (128, 512), (128, 768), (128, 512)])])
    i["alignright"] = (1024, [rows(0, [(128, 768), (384, 512), (128, 768), (384, 512)])])
    i["corner"] = (1024, [triangle([(896, 128), (896, 896), (128, 896)])])
    i["help"] = (1024, [ring(512, 512, 416, 64) +
                        arc(512, 400, 144, 64, 180, 405) + rect(480, 496, 64, 112) + circle(512, 712, 48)])
    i["indent"] = (1024, [rows(0, [(128, 768), (448, 448), (448, 448), (128, 768)]) +
                          arrow_head(352, 432, 120, "right")])
    i["link"] = (1025, [chain(352, 672, 340, 280, 72, -45) + chain(672, 352, 340, 280, 72, -45),
                        bar(432, 592, 592, 432, 64)])
    i["orderedlist"] = (1024, [rows(0, [(384, 512), (384, 512), (384, 512)], top=208, gap=256) +
                               lines([(176, 176), (224, 144), (224, 336)], 40) +
                               lines([(160, 464), (272, 464), (272, 544), (160, 544), (160, 624), (272, 624)], 40) +
                               lines([(160, 720), (272, 720), (272, 880), (160, 880)], 40) +
                               bar(176, 800, 272, 800, 40)])
    i["outdent"] = (1024, [rows(0, [(128, 768), (448, 448), (448, 448), (128, 768)]) +
                           arrow_head(192, 432, 120, "left")])
    i["symbol"] = (1024, [arc(512, 448, 320, 72, 125, 415) + rect(160, 768, 272, 72) + rect(592, 768, 272, 72) +
                          bar(352, 700, 384, 768, 72) + bar(672, 700, 640, 768, 72)])
    i["strike"] = (1024, [arc(512, 336, 208, 80, -20, -270) + arc(512, 688, 208, 80, -90, 160) +
                          rect(96, 472, 832, 80)])
    i["table"] = (1024, [frame(96, 128, 832, 768, 64) + rect(96, 352, 832, 56) + rect(96, 616, 832, 56) +
                         rect(368, 128, 56, 768) + rect(600, 128, 56, 768)])
    i["underline"] = (1024, [rect(256, 128, 88, 368) + rect(680, 128, 88, 368) + arc(512, 496, 256, 88, 0, 180) +
                             rect(192, 848, 640, 72)])
    i["unlink"] = (1025, [chain(304, 720, 200, 240, 64, -45) + chain(720, 304, 200, 240, 64, -45),
                          bar(416, 160, 448, 288, 48) + bar(160, 416, 288, 448, 48) +
                          bar(608, 864, 576, 736, 48) + bar(864, 608, 736, 576, 48)])
    i["backColor"] = (1024, [poly([(304, 608), (592, 160), (784, 288), (496, 736), (352, 736)]) +
                             poly([(304, 640), (320, 752), (224, 752)]),
                             rect(96, 816, 832, 112)])
    i["code"] = (1024, [lines([(352, 256), (128, 512), (352, 768)], 80) +
                        lines([(672, 256), (896, 512), (672, 768)], 80) + bar(592, 192, 432, 832, 72)])
    i["files"] = (1024, [poly([(192, 64), (608, 64), (832, 288), (832, 960), (192, 960)]) +
                         poly([(256, 128), (256, 896), (768, 896), (768, 352), (544, 352), (544, 128)], hole=True) +
                         rows(0, [(320, 384), (320, 384), (320, 256)], top=480, gap=128, h=56)])
    i["list"] = (1024, [rows(0, [(320, 576), (320, 576), (320, 576)], top=208, gap=272) +
                        rect(160, 192, 96, 96) + rect(160, 464, 96, 96) + rect(160, 736, 96, 96)])
    i["save"] = (1029, [poly([(96, 96), (800, 96), (928, 224), (928, 928), (96, 928)]) +
                        rect(160, 160, 704, 704, hole=True) +
                        rect(288, 160, 448, 224) + rect(256, 560, 512, 304)])
    i["min"] = (1024, [frame(128, 320, 576, 576, 64) + poly([(320, 128), (896, 128), (896, 704), (768, 704),
                                                            (768, 256), (320, 256)])])
    i["product"] = (1024, [poly([(512, 64), (896, 256), (896, 768), (512, 960), (128, 768), (128, 256)]) +
                           poly([(512, 176), (784, 312), (512, 448), (240, 312)], hole=True) +
                           poly([(480, 504), (480, 840), (208, 704), (208, 368)], hole=True) +
                           poly([(544, 504), (816, 368), (816, 704), (544, 840)], hole=True)])
    i["empty"] = (1024, [lines([(128, 320), (128, 128), (320, 128)], 64) + lines([(704, 128), (896, 128), (896, 320)], 64) +
                         lines([(896, 704), (896, 896), (704, 896)], 64) + lines([(320, 896), (128, 896), (128, 704)], 64) +
                         rect(448, 96, 128, 64) + rect(448, 864, 128, 64) + rect(96, 448, 64, 128) + rect(864, 448, 64, 128)])
    i["video"] = (1110, [frame(64, 192, 736, 640, 64),
                         poly([(848, 416), (1056, 256), (1056, 768), (848, 608)]) +
                         poly([(352, 384), (576, 512), (352, 640)])])
    i["pic"] = (1024, [frame(64, 128, 896, 768, 64) + poly([(160, 800), (400, 480), (560, 672), (672, 560), (864, 800)]),
                       circle(704, 336, 80)])
    i["bold"] = (1024, [rect(256, 128, 112, 768) + rect(256, 128, 256, 96) + rect(256, 464, 288, 96) +
                        rect(256, 800, 288, 96) + arc(512, 320, 192, 112, -90, 90) + arc(544, 680, 216, 112, -90, 90)])
    i["max"] = (1024, [lines([(128, 352), (128, 128), (352, 128)], 72) + lines([(672, 128), (896, 128), (896, 352)], 72) +
                       lines([(896, 672), (896, 896), (672, 896)], 72) + lines([(352, 896), (128, 896), (128, 672)], 72)])
    i["del"] = (1024, [rect(128, 192, 768, 72) + rect(400, 96, 224, 96) +
                       poly([(224, 320), (800, 320), (752, 928), (272, 928)]) +
                       poly([(296, 384), (344, 864), (680, 864), (728, 384)], hole=True) +
                       rect(400, 448, 56, 352) + rect(568, 448, 56, 352)])
    i["unorderedlist"] = (1024, [rows(0, [(384, 512), (384, 512), (384, 512)], top=208, gap=256) +
                                 circle(224, 248, 64) + circle(224, 504, 64) + circle(224, 760, 64)])
    i["remove"] = (1024, [poly([(96, 640), (544, 192), (864, 512), (544, 832), (288, 832)]) +
                          poly([(208, 640), (336, 512), (592, 768), (544, 768), (336, 768)], hole=True) +
                          rect(544, 880, 384, 64)])
    i["fontSize"] = (1024, [letter_t(384, 224, 864, 256, 112) + letter_t(784, 480, 864, 144, 80)])
    i["quote"] = (1024, [circle(320, 448, 160) + poly([(160, 448), (256, 832), (384, 832), (416, 560)]) +
                         circle(704, 448, 160) + poly([(544, 448), (640, 832), (768, 832), (800, 560)])])
    i["font"] = (1024, [letter_a(512, 128, 896, 352, 112)])
    i["lookup"] = (1024, [ring(432, 432, 304, 80), bar(656, 656, 896, 896, 112)])
    i["italic"] = (1024, [poly([(512, 192), (608, 192), (480, 832), (384, 832)]) + rect(384, 128, 384, 80) +
                          rect(256, 816, 384, 80)])
    i["format"] = (1024, [frame(128, 96, 704, 288, 64) + rect(832, 208, 96, 64) + rect(864, 208, 64, 256) +
                          rect(480, 400, 416, 64) + rect(448, 400, 96, 528)])
    i["subscript"] = (1157, [letter_x(416, 448, 288, 112), digit_two(864, 640, 160, 56)])
    i["superscript"] = (1157, [letter_x(416, 576, 288, 112), digit_two(864, 96, 160, 56)])
    i["drag"] = (1024, [rect(192, 352, 640, 80) + rect(192, 592, 640, 80)])
    i["foreColor"] = (1024, [letter_a(512, 96, 704, 272, 104), rect(96, 816, 832, 112)])
    i["tab"] = (1024, [rect(96, 464, 640, 96) + arrow_head(736, 512, 224, "right") + rect(800, 192, 96, 640)])
    return i


VIEWBOX_WIDTH = {"link": 1025, "unlink": 1025, "save": 1029, "video": 1110, "subscript": 1157, "superscript": 1157}


def sprite():
    out = ["<svg>"]
    for name, (width, paths) in icons().items():
        assert width == VIEWBOX_WIDTH.get(name, 1024), name
        out.append(f'<symbol id="icon-{name}" viewBox="0 0 {width} 1024">')
        out.extend(f'<path d="{d}"></path>' for d in paths)
        out.append("</symbol>")
    out.append("</svg>")
    return "".join(out)


def check_literal_safe(name, text):
    for bad in ("'", "\\", "\t", "\r", "\n", "  "):
        if bad in text:
            raise SystemExit(f"{name} holds {bad!r}: it must fit a single-quoted script literal")


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: gen_qe_editor_look.py OUT_DIR")
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for file_name, text in (("qe_editor.css", stylesheet()), ("qe_editor.svg", sprite())):
        check_literal_safe(file_name, text)
        with open(os.path.join(out_dir, file_name), "w", encoding="ascii", newline="") as f:
            f.write(text)


if __name__ == "__main__":
    main()
