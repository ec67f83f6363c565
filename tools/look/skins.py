"""The two skins: toolbar, indicator, download and background images, and the skin document."""

import math

from PIL import Image, ImageDraw

from .draw import KEY, SS, WHITE, Art, dark, dilate, hexcolor, inter, light, minus, mix, rgb, rotate_points, union
from .icons import BADGE, person


# ----------------------------------------------------------------------------------------------
# Toolbar images (16-unit design, drawn at the skin's toolbar size). The digit overlays sit in
# the lower right corner, so the pictures keep their weight towards the upper left.

SLATE = (70, 84, 104)
BLUE = (52, 120, 206)
GREEN = (64, 168, 74)
RED = (214, 54, 48)
AMBER = (240, 170, 40)
STEEL = (150, 160, 174)


def tb_quit(a):
    disc = a.circle(7.5, 7.5, 6.4)
    a.paint(disc, (220, 58, 50), (150, 30, 28), kind="radial")
    a.gloss(disc, 0.5, 0.0, 0.5)
    glyph = union(a.arc(7.5, 7.8, 3.5, 3.5, -52, 232, 1.45), a.stroke([(7.5, 3.2), (7.5, 7.4)], 1.45))
    a.over(WHITE, glyph)


def tb_people(a, back, front, faint=False):
    if faint:
        person(a, (206, 212, 220), x=5.0, y=-0.4, scale=0.72, edge=(168, 176, 188))
    else:
        person(a, back, x=5.0, y=-0.4, scale=0.72)
    f = Art(a.w, a.h, a.w / a.s * SS)
    person(f, front, x=-0.6, y=1.8, scale=0.84)
    a.img = Image.alpha_composite(a.img, f.img)


def tb_showoffline(a):
    tb_people(a, (150, 156, 166), GREEN)


def tb_hideoffline(a):
    tb_people(a, (150, 156, 166), GREEN, faint=True)


def speaker(a):
    body = union(a.rect(1.2, 5.2, 4.4, 10.0, 0.5),
                 a.poly([(3.8, 5.2), (8.0, 1.8), (8.0, 13.4), (3.8, 10.0)]))
    a.paint(body, SLATE, dark(SLATE, 0.45))


def red_cross(a, cx, cy, r):
    m = union(a.stroke([(cx - r, cy - r), (cx + r, cy + r)], 1.6), a.stroke([(cx - r, cy + r), (cx + r, cy - r)], 1.6))
    a.paint(m, RED, dark(RED, 0.4), kind="flat")


def tb_soundon(a):
    speaker(a)
    waves = union(a.arc(8.4, 7.6, 2.6, 2.6, -55, 55, 1.25), a.arc(8.4, 7.6, 5.2, 5.6, -52, 52, 1.25))
    a.paint(waves, BLUE, dark(BLUE, 0.4), kind="flat")


def tb_soundoff(a):
    speaker(a)
    red_cross(a, 11.7, 5.2, 2.2)


def handset(a, x, screen):
    body = a.rect(x, 1.2, x + 6.6, 14.6, 1.3)
    a.paint(body, SLATE, dark(SLATE, 0.45))
    a.paint(a.rect(x + 1.1, 2.7, x + 5.5, 9.6, 0.4), screen, None, kind="diag")
    a.over(light(SLATE, 0.5), union(*[a.circle(x + 1.9 + 1.4 * i, 11.6 + 1.4 * j, 0.5)
                                      for i in range(3) for j in range(2)]))


def tb_vibroon(a):
    handset(a, 4.6, (130, 196, 250))
    for x in (2.0, 13.1):
        zig = a.stroke([(x, 3.0), (x + 0.95, 4.6), (x - 0.95, 6.4), (x + 0.95, 8.2), (x, 9.6)], 0.95)
        a.over((226, 128, 20), zig)


def tb_vibrooff(a):
    handset(a, 2.0, (176, 186, 198))
    red_cross(a, 12.0, 5.0, 2.2)


def cyc_arrow(a, a0, a1, cx=7.5, cy=7.5, r=4.9):
    band = a.arc(cx, cy, r, r, a0, a1, 1.7, caps=False)
    tip = math.radians(a1)
    tx, ty = cx + r * math.cos(tip), cy + r * math.sin(tip)
    dx, dy = -math.sin(tip), math.cos(tip)  # direction of travel
    nx, ny = math.cos(tip), math.sin(tip)
    head = a.poly([(tx + dx * 2.6, ty + dy * 2.6), (tx + nx * 2.5 - dx * 0.3, ty + ny * 2.5 - dy * 0.3),
                   (tx - nx * 2.5 - dx * 0.3, ty - ny * 2.5 - dy * 0.3)])
    return union(band, head)


def tb_scrollingon(a):
    m = union(cyc_arrow(a, 190, 318), cyc_arrow(a, 10, 138))
    a.paint(m, BLUE, dark(BLUE, 0.45))


def tb_scrollingoff(a):
    m = union(a.rect(6.6, 1.2, 8.6, 8.0), a.poly([(3.6, 7.4), (11.6, 7.4), (7.6, 11.4)]),
              a.rect(3.2, 12.4, 12.0, 14.2, 0.4))
    a.paint(m, STEEL, dark(STEEL, 0.5))


def bubble(a, x0, y0, x1, y1, tail_left=True):
    k = (y1 - y0) / 6.8
    body = a.rect(x0, y0, x1, y1, (y1 - y0) * 0.45)
    if tail_left:
        tail = a.poly([(x0 + 2.0 * k, y1 - 1.5 * k), (x0 + 0.6 * k, y1 + 2.4 * k), (x0 + 4.6 * k, y1 - 0.5 * k)])
    else:
        tail = a.poly([(x1 - 2.0 * k, y1 - 1.5 * k), (x1 - 0.6 * k, y1 + 2.4 * k), (x1 - 4.6 * k, y1 - 0.5 * k)])
    return union(body, tail)


def tb_chat(a):
    back = bubble(a, 0.8, 1.0, 10.8, 7.8, tail_left=True)
    a.paint(back, BLUE, dark(BLUE, 0.45))
    front = bubble(a, 5.2, 5.2, 15.0, 11.8, tail_left=False)
    a.erase(dilate(front, SS))
    a.paint(front, (250, 251, 253), (96, 110, 130), stops=[(0, WHITE), (1, (222, 228, 236))])
    a.over((96, 110, 130), union(*[a.circle(7.6 + 2.5 * i, 8.6, 0.75) for i in range(3)]))


def tb_info(a):
    disc = a.circle(7.5, 7.5, 6.4)
    a.paint(disc, BLUE, dark(BLUE, 0.45), kind="radial")
    a.gloss(disc, 0.45, 0.0, 0.5)
    a.over(WHITE, union(a.circle(7.5, 4.3, 1.1), a.rect(6.6, 6.3, 8.4, 11.6, 0.3),
                        a.rect(5.8, 6.3, 8.4, 7.3), a.rect(5.8, 10.6, 9.3, 11.6)))


def magnifier(a, cx, cy, r, hx, hy, inside=None):
    handle = a.stroke([(cx - r * 0.72, cy + r * 0.72), (hx, hy)], 2.3)
    a.paint(handle, (92, 70, 52), dark((92, 70, 52), 0.4))
    ring = a.circle(cx, cy, r)
    a.paint(ring, STEEL, dark(STEEL, 0.55))
    glass = a.circle(cx, cy, r - 1.2)
    a.paint(glass, (196, 226, 250), None, stops=[(0, WHITE), (1, (160, 204, 244))])
    if inside:
        inside(a)
    a.gloss(glass, 0.5, 0.0, 0.45)


def tb_find(a):
    def who(a):
        a.over(BLUE, union(a.circle(8.6, 5.0, 1.25), inter(a.ellipse(6.2, 6.6, 11.0, 11.6), a.rect(0, 0, 16, 8.9))))
    magnifier(a, 8.6, 6.4, 5.2, 1.8, 13.6, who)


def tb_account(a):
    card = a.rect(0.8, 2.6, 15.2, 13.0, 1.4)
    a.paint(card, (246, 248, 251), (96, 110, 130), stops=[(0, WHITE), (1, (222, 228, 236))])
    a.over(BLUE, inter(a.rect(0.8, 2.6, 15.2, 5.0), card))
    photo = a.rect(2.4, 6.2, 6.8, 11.4, 0.4)
    a.over((204, 222, 242), photo)
    a.over(BLUE, inter(union(a.circle(4.6, 7.9, 1.15), a.ellipse(2.6, 9.3, 6.6, 13.0)), photo))
    a.over((150, 160, 174), union(a.rect(8.2, 6.6, 13.6, 7.6), a.rect(8.2, 8.8, 12.4, 9.8)))


def tb_settings(a):
    cx, cy = 7.5, 7.5
    teeth = []
    for i in range(8):
        ang = 22.5 + 45 * i
        teeth.append(a.poly(rotate_points([(cx - 1.35, cy - 7.0), (cx + 1.35, cy - 7.0), (cx + 1.9, cy - 4.0),
                                           (cx - 1.9, cy - 4.0)], cx, cy, ang)))
    gear = minus(union(a.circle(cx, cy, 5.0), *teeth), a.circle(cx, cy, 1.9))
    a.paint(gear, STEEL, dark(STEEL, 0.58), kind="diag")
    a.over(dark(STEEL, 0.58), minus(dilate(a.circle(cx, cy, 1.9), SS), a.circle(cx, cy, 1.9)))


def tb_qsearch(a):
    pad = a.rect(0.8, 0.8, 14.2, 14.2, 2.4)
    a.paint(pad, SLATE, dark(SLATE, 0.45))
    for j in range(3):
        for i in range(3):
            key = a.rect(2.3 + 3.8 * i, 2.3 + 3.8 * j, 5.0 + 3.8 * i, 5.0 + 3.8 * j, 0.8)
            color = AMBER if (i, j) == (1, 1) else (236, 240, 246)
            a.over(color, key)


TOOLBAR = [("quit", tb_quit), ("showoffline", tb_showoffline), ("hideoffline", tb_hideoffline),
           ("soundon", tb_soundon), ("soundoff", tb_soundoff), ("vibroon", tb_vibroon),
           ("vibrooff", tb_vibrooff), ("scrollingon", tb_scrollingon), ("scrollingoff", tb_scrollingoff),
           ("chat", tb_chat), ("info", tb_info), ("find", tb_find), ("account", tb_account),
           ("settings", tb_settings), ("qsearch", tb_qsearch)]

DIGITS_SMALL = {  # 3x5
    "0": [".#.", "#.#", "#.#", "#.#", ".#."], "1": [".#.", "##.", ".#.", ".#.", "###"],
    "2": ["##.", "..#", ".#.", "#..", "###"], "3": ["##.", "..#", ".#.", "..#", "##."],
    "4": ["#.#", "#.#", "###", "..#", "..#"], "5": ["###", "#..", "##.", "..#", "##."],
    "6": [".##", "#..", "##.", "#.#", ".#."], "7": ["###", "..#", ".#.", ".#.", ".#."],
    "8": [".#.", "#.#", ".#.", "#.#", ".#."], "9": [".#.", "#.#", ".##", "..#", "##."],
}
DIGITS_LARGE = {  # 4x6
    "0": [".##.", "#..#", "#..#", "#..#", "#..#", ".##."], "1": ["..#.", ".##.", "..#.", "..#.", "..#.", ".###"],
    "2": [".##.", "#..#", "...#", "..#.", ".#..", "####"], "3": ["###.", "...#", ".##.", "...#", "...#", "###."],
    "4": ["..#.", ".##.", "#.#.", "####", "..#.", "..#."], "5": ["####", "#...", "###.", "...#", "...#", "###."],
    "6": [".##.", "#...", "###.", "#..#", "#..#", ".##."], "7": ["####", "...#", "..#.", ".#..", ".#..", ".#.."],
    "8": [".##.", "#..#", ".##.", "#..#", "#..#", ".##."], "9": [".##.", "#..#", "#..#", ".###", "...#", ".##."],
}
TAG = (46, 62, 86)


def digit_tag(size, digit, border):
    """A dark tag with a light digit in the lower right corner, cut out by a border on the left and top."""
    glyph = (DIGITS_SMALL if size < 20 else DIGITS_LARGE)[digit]
    gw, gh = len(glyph[0]), len(glyph)
    tw, th = gw + 2, gh + 2
    img = Image.new("RGB", (size, size), KEY)
    px = img.load()
    x0, y0 = size - tw, size - th
    for y in range(y0 - 1, size):
        for x in range(x0 - 1, size):
            corner_outer = (x, y) in ((x0 - 1, y0 - 1), (x0 - 1, size - 1), (size - 1, y0 - 1))
            if corner_outer:
                continue
            inside = x >= x0 and y >= y0
            corner = (x, y) in ((x0, y0), (size - 1, y0), (x0, size - 1), (size - 1, size - 1))
            if not inside:
                px[x, y] = border
            elif corner:
                px[x, y] = mix(TAG, border, 0.5)
            else:
                px[x, y] = TAG if y > y0 else mix(TAG, WHITE, 0.18)
    for j, row in enumerate(glyph):
        for i, c in enumerate(row):
            if c == "#":
                px[x0 + 1 + i, y0 + 1 + j] = WHITE
    return img


# ----------------------------------------------------------------------------------------------
# Contact list indicators (16-unit design, drawn to suit the row height).

def ind_chat(a):
    m = bubble(a, 1.0, 1.6, 15.0, 11.0, tail_left=True)
    a.paint(m, BLUE, dark(BLUE, 0.45))
    a.gloss(m, 0.35, 0.0, 0.5)
    a.over(WHITE, union(*[a.circle(4.7 + 3.3 * i, 6.3, 1.05) for i in range(3)]))


def ind_msg(a):
    body = a.rect(0.8, 3.0, 15.2, 13.2, 0.9)
    edge = (150, 108, 30)
    a.paint(body, (255, 236, 160), edge, stops=[(0, (255, 248, 210)), (1, (250, 214, 120))])
    flap = a.stroke([(1.6, 3.8), (8.0, 9.0), (14.4, 3.8)], 1.0, caps=False)
    a.over(edge, flap)
    a.over(mix(edge, (255, 236, 160), 0.5), union(a.stroke([(1.6, 12.4), (6.2, 8.0)], 0.8, caps=False),
                                                 a.stroke([(14.4, 12.4), (9.8, 8.0)], 0.8, caps=False)))


def ind_typing(a):
    angle = -45
    cx, cy = 8.2, 7.8

    def part(x0, x1, w):
        return a.poly(rotate_points([(cx + x0, cy - w), (cx + x1, cy - w), (cx + x1, cy + w), (cx + x0, cy + w)],
                                    cx, cy, angle))

    outline = (96, 70, 40)
    body = part(-3.4, 4.0, 1.9)
    eraser = part(4.0, 6.6, 1.9)
    tip = a.poly(rotate_points([(cx - 3.4, cy - 1.9), (cx - 3.4, cy + 1.9), (cx - 7.4, cy)], cx, cy, angle))
    a.over(outline, dilate(union(body, eraser, tip), SS))
    a.paint(eraser, (236, 120, 130), None, kind="flat")
    a.over((176, 180, 188), part(3.6, 4.6, 1.9))
    a.paint(body, (250, 196, 40), None, stops=[(0, (255, 226, 110)), (1, (232, 162, 20))], kind="diag")
    a.over((236, 204, 160), tip)
    a.over((60, 60, 66), a.poly(rotate_points([(cx - 5.9, cy - 0.7), (cx - 5.9, cy + 0.7), (cx - 7.4, cy)],
                                              cx, cy, angle)))


def ind_auth(a):
    shackle = a.arc(8.0, 6.6, 3.6, 4.2, 180, 360, 1.6, caps=False)
    legs = union(a.rect(3.6, 6.4, 5.2, 8.0), a.rect(10.8, 6.4, 12.4, 8.0))
    a.paint(union(shackle, legs), STEEL, dark(STEEL, 0.55), kind="flat")
    body = a.rect(2.0, 7.4, 14.0, 15.0, 1.4)
    a.erase(dilate(body, SS))
    a.paint(body, (240, 180, 40), (140, 92, 20))
    a.gloss(body, 0.35, 0.0, 0.5)
    a.over((120, 76, 16), union(a.circle(8.0, 10.4, 1.3), a.poly([(7.4, 10.8), (8.6, 10.8), (9.0, 13.4), (7.0, 13.4)])))


INDICATORS = [("chatimage", "chat", ind_chat), ("msgimage", "message", ind_msg),
              ("typingimage", "typing", ind_typing), ("authimage", "auth", ind_auth)]


# ----------------------------------------------------------------------------------------------
# Download list buttons (16-unit design).

def dl_disc(a, fill):
    disc = a.circle(7.5, 7.5, 6.6)
    a.paint(disc, fill, dark(fill, 0.45), kind="radial")
    a.gloss(disc, 0.45, 0.0, 0.5)


def dl_start(a):
    dl_disc(a, GREEN)
    a.over(WHITE, union(a.rect(6.5, 3.2, 8.5, 8.0), a.poly([(3.8, 7.4), (11.2, 7.4), (7.5, 11.4)])))


def dl_pause(a):
    dl_disc(a, AMBER)
    a.over(WHITE, union(a.rect(4.9, 4.0, 6.9, 11.0, 0.3), a.rect(8.1, 4.0, 10.1, 11.0, 0.3)))


def dl_delete(a):
    dl_disc(a, RED)
    a.over(WHITE, union(a.stroke([(5.0, 5.0), (10.0, 10.0)], 1.8), a.stroke([(5.0, 10.0), (10.0, 5.0)], 1.8)))


def dl_folder(a):
    edge = (156, 110, 24)
    back = union(a.rect(0.8, 2.4, 6.6, 5.6, 0.8), a.rect(0.8, 3.8, 14.6, 13.6, 0.9))
    a.paint(back, (236, 180, 60), edge)
    front = a.poly([(2.6, 6.6), (15.4, 6.6), (13.8, 13.6), (0.8, 13.6)])
    a.paint(front, (255, 214, 96), edge, stops=[(0, (255, 232, 150)), (1, (246, 196, 70))])
    cx, cy, r = BADGE
    a.erase(a.circle(cx, cy, r + 1.1))
    disc = a.circle(cx, cy, r)
    a.paint(disc, GREEN, dark(GREEN, 0.45))
    a.over(WHITE, a.stroke([(cx - 2.0, cy + 0.1), (cx - 0.6, cy + 1.5), (cx + 2.0, cy - 1.4)], 1.1))


DOWNLOADS = [("b1", "download_start", dl_start), ("b2", "download_pause", dl_pause),
             ("b3", "download_delete", dl_delete), ("b4", "download_folder", dl_folder)]


# ----------------------------------------------------------------------------------------------
# Backgrounds: opaque, and their edges are exactly the colour around them, so that they blend
# into the pane whatever its size.

def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size, top)
    d = ImageDraw.Draw(img)
    for y in range(h):
        d.line([(0, y), (w - 1, y)], fill=mix(top, bottom, y / max(1, h - 1)))
    return img


def watermark(size, bg, ink):
    """Two large pale speech bubbles, for the corner of a pane."""
    w, h = size
    a = Art(w, h, 100)
    back = bubble(a, 4, 8, 70, 50, tail_left=True)
    front = bubble(a, 34, 36, 96, 74, tail_left=False)
    a.over(ink, back)
    a.erase(dilate(front, SS * 3))
    a.over(ink, front)
    base = Image.new("RGBA", (w, h), bg + (255,))
    return Image.alpha_composite(base, a.reduced()).convert("RGB")


# ----------------------------------------------------------------------------------------------
# Skins. Both share one palette; they differ in their sizes.

PALETTE = {
    "bg": rgb("#E6EEF6"), "bg_top": rgb("#EEF4FA"), "bg_bottom": rgb("#DCE6F0"),
    "list": rgb("#F6F9FC"), "mark": rgb("#EAF1F8"),
    "online": rgb("#17375E"), "offline": rgb("#8C96A3"),
    "sel": rgb("#D3E5F7"), "selborder": rgb("#4A7DBE"),
    "status": rgb("#2E4A6B"),
    "toolbar": rgb("#DCE7F2"), "toolbar_sel": rgb("#BCD3EC"),
    "chat": rgb("#F6F9FC"), "self": rgb("#1D4F91"), "self_sel": rgb("#0F2F5C"),
    "buddy": rgb("#A8322A"), "buddy_sel": rgb("#6E1A14"),
    "file_bg": rgb("#EAF1F8"), "file_progress": rgb("#B7D3F0"), "file_name": rgb("#1F56A8"),
    "selmsg": rgb("#DCE8F6"), "selmsg_border": rgb("#9DB8DA"), "link_bg": rgb("#3A6DB0"), "link": rgb("#FFFFFF"),
    "entry_text": rgb("#1A222C"), "entry_bg": rgb("#FFFFFF"),
    "smile_bg": rgb("#F6F9FC"), "smile_top": rgb("#FBFDFE"), "smile_sel": rgb("#4A7DBE"),
    "smile_desc": rgb("#2E4A6B"),
    "dl_text": rgb("#1A2A3E"), "dl_bg": rgb("#F6F9FC"), "dl_progress": rgb("#D4EACB"),
}
FONT = "DejaVu Sans"


class SkinDesign:
    def __init__(self, folder, desc, screen, row, list_font, status_height, status_font, toolbar_size,
                 indicator, dl_image, dl_row, dl_font, chat_font, file_font, userinfo_font, spacing, mark):
        self.folder, self.desc, self.screen = folder, desc, screen
        self.row, self.list_font = row, list_font
        self.status_height, self.status_font = status_height, status_font
        self.toolbar_size, self.toolbar_height = toolbar_size, toolbar_size + 2
        self.indicator, self.dl_image, self.dl_row, self.dl_font = indicator, dl_image, dl_row, dl_font
        self.chat_font, self.file_font, self.userinfo_font = chat_font, file_font, userinfo_font
        self.spacing, self.mark = spacing, mark


SKINS = [
    SkinDesign("Default", "Quelt Default (176x220)", (176, 220), row=17, list_font=14, status_height=15,
             status_font=11, toolbar_size=16, indicator=14, dl_image=16, dl_row=30, dl_font=11, chat_font=14,
             file_font=12, userinfo_font=12, spacing=2, mark=(72, 58)),
    SkinDesign("QVGA", "Quelt QVGA (240x320)", (240, 320), row=22, list_font=16, status_height=19,
             status_font=13, toolbar_size=22, indicator=18, dl_image=20, dl_row=38, dl_font=13, chat_font=16,
             file_font=14, userinfo_font=14, spacing=3, mark=(100, 80)),
]
TOOLBAR_DIGITS = "1234567890"


def skin_images(skin):
    """file name -> (kind, image) for everything in one skin folder."""
    p = PALETTE
    out = {}
    for _, name, fn in INDICATORS:
        a = Art(skin.indicator, skin.indicator, 16)
        fn(a)
        out[name + ".png"] = ("key", a.finish(p["list"]))
    for name, fn in TOOLBAR:
        a = Art(skin.toolbar_size, skin.toolbar_size, 16)
        fn(a)
        out["tb_" + name + ".png"] = ("key", a.finish(p["toolbar"]))
    for d in TOOLBAR_DIGITS:
        out["tb_" + d + ".png"] = ("key", digit_tag(skin.toolbar_size, d, p["toolbar"]))
    for _, name, fn in DOWNLOADS:
        a = Art(skin.dl_image, skin.dl_image, 16)
        fn(a)
        out[name + ".png"] = ("key", a.finish(p["dl_bg"]))
    out["main_bg.png"] = ("opaque", vertical_gradient(skin.screen, p["bg_top"], p["bg_bottom"]))
    out["list_bg.png"] = ("opaque", watermark(skin.mark, p["list"], p["mark"]))
    out["chat_bg.png"] = ("opaque", watermark(skin.mark, p["chat"], p["mark"]))
    out["smile_bg.png"] = ("opaque", vertical_gradient(skin.screen, p["smile_top"], p["smile_bg"]))
    return out


def skin_document(skin):
    p = PALETTE
    c = hexcolor

    def font(prefix, size, bold=0):
        return [(prefix + "name", FONT), (prefix + "size", size), (prefix + "bold", bold)]

    toolbar_images = [("size", skin.toolbar_size)]
    toolbar_images += [("b" + d, "tb_" + d + ".png") for d in "0123456789"]
    toolbar_images += [(name, "tb_" + name + ".png") for name in
                       ("quit", "showoffline", "hideoffline", "soundon", "soundoff", "vibroon", "vibrooff",
                        "scrollingon", "scrollingoff", "chat", "info", "find", "account", "settings", "qsearch")]
    return [
        ("desc", skin.desc),
        ("bgcolor", c(p["bg"])),
        ("bgimage", "main_bg.png"),
        ("bgimage_align", "lt"),
        ("contactlist", [
            ("bgcolor", c(p["list"])), ("bgimage", "list_bg.png"), ("bgimage_align", "rb"),
            ("onlinecolor", c(p["online"])), ("offlinecolor", c(p["offline"])),
            ("selbgcolor", c(p["sel"])), ("selbordercolor", c(p["selborder"])),
            ("contactheight", skin.row)] + font("font", skin.list_font) + [
            ("chatimage", "chat.png"), ("msgimage", "message.png"), ("typingimage", "typing.png"),
            ("authimage", "auth.png")]),
        ("status", [("fgcolor", c(p["status"])), ("height", skin.status_height), ("textoffset", 1)]
         + font("font", skin.status_font)),
        ("toolbar", [("bgcolor", c(p["toolbar"])), ("selbgcolor", c(p["toolbar_sel"])),
                     ("height", skin.toolbar_height)]),
        ("toolbarimages", toolbar_images),
        ("chat", [
            ("bgcolor", c(p["chat"])), ("bgimage", "chat_bg.png"), ("bgimage_align", "rt"),
            ("selfcolor", c(p["self"])), ("selfselcolor", c(p["self_sel"])),
            ("buddycolor", c(p["buddy"])), ("buddyselcolor", c(p["buddy_sel"])),
            ("filebgcolor", c(p["file_bg"])), ("fileprogresscolor", c(p["file_progress"])),
            ("filenamecolor", c(p["file_name"])), ("selmsgcolor", c(p["selmsg"])),
            ("selbordercolor", c(p["selmsg_border"])), ("sellinkbgcolor", c(p["link_bg"])),
            ("sellinkcolor", c(p["link"])), ("msgareatextcolor", c(p["entry_text"])),
            ("msgareabgcolor", c(p["entry_bg"])), ("msgareaheight", 3),
            ("smileiconspacing", skin.spacing), ("smilebgcolor", c(p["smile_bg"])),
            ("smileselcolor", c(p["smile_sel"])), ("smiledesccolor", c(p["smile_desc"])),
            ("smilebgimage", "smile_bg.png")] + font("font", skin.chat_font) + font("filefont", skin.file_font)),
        ("downloads", [
            ("rowheight", skin.dl_row), ("textcolor", c(p["dl_text"])), ("bgcolor", c(p["dl_bg"])),
            ("selbordercolor", c(p["selborder"])), ("progresscolor", c(p["dl_progress"]))]
         + font("font", skin.dl_font)
         + [(key, name + ".png") for key, name, _ in DOWNLOADS]),
        ("userinfo", font("font", skin.userinfo_font)),
    ]
