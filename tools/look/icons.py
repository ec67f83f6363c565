"""The presence icons of both services and the small status badges drawn on them."""

import math

from PIL import Image

from .draw import SS, WHITE, Art, dark, dilate, ellipse_points, inter, light, minus, rgb, union


# ----------------------------------------------------------------------------------------------
# Small badges drawn in the lower right corner of a 16-unit design; a ring of transparency
# separates them from the picture below.

BADGE = (11.9, 11.9, 3.9)  # centre x, centre y, radius


def badge_base(a, fill, outline=None, cut=1.1):
    cx, cy, r = BADGE
    a.erase(a.circle(cx, cy, r + cut))
    disc = a.circle(cx, cy, r)
    a.paint(disc, fill, outline if outline else dark(fill, 0.45))
    return disc


def badge_clock(a):
    cx, cy, r = BADGE
    badge_base(a, (250, 250, 246), (92, 96, 104))
    a.over((60, 64, 72), a.stroke([(cx, cy - 2.5), (cx, cy), (cx + 1.9, cy + 0.9)], 0.95))


def badge_minus(a):
    cx, cy, r = BADGE
    badge_base(a, (222, 52, 46))
    a.over(WHITE, a.rect(cx - 2.5, cy - 0.85, cx + 2.5, cy + 0.85, 0.3))


def badge_moon(a):
    cx, cy, r = BADGE
    badge_base(a, (52, 72, 128))
    moon = minus(a.circle(cx - 0.2, cy, 2.5), a.circle(cx + 1.2, cy - 1.0, 2.2))
    a.over((255, 222, 92), moon)


def badge_urgent(a):
    cx, cy, r = BADGE
    badge_base(a, (232, 120, 30))
    a.over(WHITE, union(a.poly([(cx - 1.0, cy - 3.0), (cx + 1.0, cy - 3.0), (cx + 0.5, cy + 0.7),
                                (cx - 0.5, cy + 0.7)]),
                        a.rect(cx - 0.8, cy + 1.3, cx + 0.8, cy + 2.9, 0.3)))


def badge_pause(a):
    cx, cy, r = BADGE
    badge_base(a, (128, 138, 152))
    a.over(WHITE, union(a.rect(cx - 2.0, cy - 2.2, cx - 0.5, cy + 2.2),
                        a.rect(cx + 0.5, cy - 2.2, cx + 2.0, cy + 2.2)))


def badge_back(a):
    cx, cy, r = BADGE
    badge_base(a, (46, 124, 210))
    a.over(WHITE, union(a.poly([(cx - 2.8, cy), (cx - 0.4, cy - 2.5), (cx - 0.4, cy + 2.5)]),
                        a.rect(cx - 0.8, cy - 0.8, cx + 2.6, cy + 0.8)))


def badge_phone(a):
    cx, cy, r = BADGE
    badge_base(a, (58, 74, 98))
    ox, oy = cx + 1.1, cy - 1.1
    handle = a.arc(ox, oy, 2.6, 2.6, 96, 174, 1.7, caps=False)

    def piece(angle, corners):
        px, py = ox + 2.6 * math.cos(math.radians(angle)), oy + 2.6 * math.sin(math.radians(angle))
        return a.poly([(px + x, py + y) for x, y in corners])

    ear = piece(178, [(-0.9, -1.3), (1.5, -1.3), (1.5, 0.7), (-0.9, 0.7)])
    mouth = piece(92, [(-1.3, -1.5), (0.7, -1.5), (0.7, 0.9), (-1.3, 0.9)])
    a.over(WHITE, union(handle, ear, mouth))


def badge_cup(a):
    badge_base(a, (46, 150, 132))
    fork = union(a.rect(9.0, 9.0, 9.9, 11.4), a.rect(10.9, 9.0, 11.8, 11.4),
                 a.rect(9.0, 11.0, 11.8, 12.2, 0.4), a.rect(10.0, 11.8, 10.9, 15.0))
    knife = union(a.poly([(13.1, 9.0), (14.6, 10.0), (14.4, 12.6), (13.1, 12.6)]),
                  a.rect(13.1, 12.2, 14.0, 15.0))
    a.over(WHITE, union(fork, knife))


def badge_bubble(a):
    cx, cy, r = BADGE
    a.erase(dilate(union(a.rect(cx - 3.7, cy - 3.2, cx + 3.9, cy + 1.9, 1.6),
                         a.poly([(cx - 2.0, cy + 1), (cx - 2.4, cy + 4.0), (cx + 0.8, cy + 1)])), SS * 2))
    bubble = union(a.rect(cx - 3.7, cy - 3.2, cx + 3.9, cy + 1.9, 1.6),
                   a.poly([(cx - 2.0, cy + 1), (cx - 2.4, cy + 4.0), (cx + 0.8, cy + 1)]))
    a.paint(bubble, (60, 168, 76), (30, 100, 42))
    dots = union(*[a.circle(cx - 1.6 + 1.8 * i, cy - 0.6, 0.7) for i in range(3)])
    a.over(WHITE, dots)


BADGES = {"clock": badge_clock, "minus": badge_minus, "moon": badge_moon, "urgent": badge_urgent,
          "pause": badge_pause, "back": badge_back, "phone": badge_phone, "cup": badge_cup,
          "bubble": badge_bubble}


# ----------------------------------------------------------------------------------------------
# Presence icons. ICQ contacts are a six-petal flower, MSN contacts a small person.

ICON_SIZE = 16
ICON_MATTE = rgb("#EEF3F9")  # between the list background and the selected row


def flower(a, petal, heart, edge=None):
    cx, cy = 7.5, 7.5
    edge = edge or dark(petal, 0.5)
    for i in range(6):
        angle = -90 + 60 * i + 30
        px = cx + 3.85 * math.cos(math.radians(angle))
        py = cy + 3.85 * math.sin(math.radians(angle))
        m = a.poly(ellipse_points(px, py, 3.35, 2.35, angle))
        a.paint(m, petal, edge)
    centre = a.circle(cx, cy, 2.35)
    a.paint(centre, heart, dark(heart, 0.5), kind="radial")


def person(a, fill, x=0.0, y=0.0, scale=1.0, edge=None):
    edge = edge or dark(fill, 0.5)

    def p(px, py):
        return (x + px * scale, y + py * scale)

    body = union(a.ellipse(*p(1.6, 8.6), *p(13.4, 21.5)))
    body = inter(body, a.rect(*p(0, 0), *p(16, 15.0)))
    a.paint(body, dark(fill, 0.06), edge)
    head = a.circle(*p(7.5, 5.0), 3.45 * scale)
    a.erase(dilate(head, SS * 2))
    a.paint(head, light(fill, 0.1), edge, kind="radial")


ICQ_ICONS = [
    ("online", "Online", (68, 176, 44), None),
    ("free4chat", "Free for chat", (86, 196, 60), "bubble"),
    ("away", "Away", (240, 178, 40), "clock"),
    ("na", "Not available", (236, 132, 34), "moon"),
    ("occupied", "Occupied", (222, 96, 44), "urgent"),
    ("dnd", "Do not disturb", (212, 50, 50), "minus"),
    ("invisible", "Invisible", (186, 196, 222), None),
    ("offline", "Offline", (158, 164, 172), None),
]

MSN_ICONS = [
    ("msn_online", "Online", (64, 168, 74), None),
    ("msn_busy", "Busy", (212, 50, 50), "minus"),
    ("msn_idle", "Idle", (226, 184, 60), "pause"),
    ("msn_brb", "Be right back", (238, 160, 56), "back"),
    ("msn_away", "Away", (238, 160, 56), "clock"),
    ("msn_otp", "On the phone", (212, 50, 50), "phone"),
    ("msn_otl", "Out to lunch", (238, 160, 56), "cup"),
    ("msn_offline", "Offline", (158, 164, 172), None),
]


def draw_icq_icon(name, petal, badge):
    a = Art(ICON_SIZE, ICON_SIZE, 16)
    if name == "offline":
        flower(a, petal, (214, 216, 220))
    elif name == "invisible":
        flower(a, petal, (238, 240, 246), edge=(130, 142, 176))
    else:
        flower(a, petal, (255, 214, 64))
    if badge:
        BADGES[badge](a)
    return a


def draw_msn_icon(fill, badge):
    a = Art(ICON_SIZE, ICON_SIZE, 16)
    person(a, fill)
    if badge:
        BADGES[badge](a)
    return a


def draw_msn_multi():
    a = Art(ICON_SIZE, ICON_SIZE, 16)
    person(a, (70, 140, 206), x=5.2, y=-1.0, scale=0.72)
    front = Art(ICON_SIZE, ICON_SIZE, 16)
    person(front, (64, 168, 74), x=-0.8, y=2.2, scale=0.86)
    a.img = Image.alpha_composite(a.img, front.img)
    return a


def make_icons():
    """name -> Art for the icon set."""
    out = {}
    for name, _, color, badge in ICQ_ICONS:
        out[name] = draw_icq_icon(name, color, badge)
    for name, _, color, badge in MSN_ICONS:
        out[name] = draw_msn_icon(color, badge)
    out["msn_multi"] = draw_msn_multi()
    return out


def icon_images():
    return {name + ".png": ("key", art.finish(ICON_MATTE)) for name, art in make_icons().items()}


def icon_document():
    names = [n for n, _, _, _ in ICQ_ICONS] + [n for n, _, _, _ in MSN_ICONS] + ["msn_multi"]
    return [("desc", "Default Icons")] + [(n, n + ".png") for n in names]
