"""The animations only the MSN smiley set has, and that set's list."""

import math

from PIL import Image

from .draw import SS, WHITE, Art, dilate, ellipse_points, inter, minus, union
from .smiley_face import face_frame, heart, heart_mask, music_note, sparkle, star_mask
from .smilies_default import (angel_frames, angry_frames, blink_frames, blush_frames, cool_frames, cry_frames,
                              devil_frames, drink_frames, rose_frames, sleep_frames, surprised_frames,
                              thumb_frames, tongue_frames, wink_smile)


def confused_frames(st):
    def feats(f, t):
        f.eyes(dx=(-0.5, 0.0, 0.5, 0.0)[t], dy=(-0.3, -0.6, -0.3, 0.0)[t])
        f.brows(sad=True)
        f.wavy(t * 1.5)
    return [(face_frame(st, lambda f, t=t: feats(f, t)), 200) for t in range(4)]


def disappointed_frames(st):
    def feats(f, lid):
        f.eyes(sy=lid, dy=0.5)
        f.flat(0.75, 0.3)
    return [(face_frame(st, lambda f: feats(f, 0.8)), 1400),
            (face_frame(st, lambda f: feats(f, 0.5), cy=10.1), 260),
            (face_frame(st, lambda f: feats(f, 0.35), cy=10.4), 800),
            (face_frame(st, lambda f: feats(f, 0.5), cy=10.1), 260)]


def teeth(f, shift):
    a, k = f.a, f.k
    cx, cy = f.mouth
    cy += 0.4 * k
    m = a.rect(cx - 4.0 * k, cy - 1.5 * k, cx + 4.0 * k, cy + 1.7 * k, 0.9 * k)
    a.paint(m, WHITE, f.st.ink, kind="flat", width=0.9)
    a.over((150, 150, 160), a.stroke([(cx - 3.7 * k, cy + 0.1 * k + shift), (cx + 3.7 * k, cy + 0.1 * k - shift)],
                                     0.55 * k))
    for i in range(1, 5):
        x = cx - 4.0 * k + 1.6 * k * i
        a.over((150, 150, 160), a.stroke([(x, cy - 1.2 * k), (x, cy + 1.4 * k)], 0.45 * k, caps=False))


def teeth_frames(st):
    red = (236, 56, 36)
    return [(face_frame(st, lambda f, s=s: (f.brows(angry=True), f.eyes(sy=0.7, dy=0.4), teeth(f, s)),
                        tint=red, amount=am), d)
            for s, am, d in ((0.0, 0.2, 500), (0.35, 0.35, 110), (-0.35, 0.45, 110), (0.35, 0.35, 110))]


def heart_frames(st):
    return [((lambda a, s=s: heart(a, 9.5, 9.6, s, width=0.9)), d)
            for s, d in ((6.2, 400), (7.4, 110), (6.6, 110), (7.4, 110))]


def broken_heart(a, split):
    layer = Art(a.w, a.h, a.w / a.s * SS)
    m = heart_mask(layer, 9.5, 9.6, 6.6)
    crack = [(9.3, 3.2), (10.6, 6.4), (8.6, 9.0), (10.4, 12.0), (9.4, 16.8)]
    left = layer.poly([(0, 0)] + crack + [(0, 19)])
    for part, dx, ang in ((inter(m, left), -split, split * 4), (minus(m, left), split, -split * 4)):
        piece = Art(a.w, a.h, a.w / a.s * SS)
        piece.paint(part, (210, 40, 60), (110, 16, 30), width=0.9)
        piece.gloss(part, 0.4, 0.0, 0.5)
        if split:
            piece.img = piece.img.rotate(ang, Image.BICUBIC, center=(9.5 * piece.s, 17.0 * piece.s),
                                         translate=(dx * piece.s, 0))
        a.img = Image.alpha_composite(a.img, piece.img)
    if not split:
        a.over((110, 16, 30), a.stroke(crack[:3], 0.6))


def broken_frames(st):
    return [((lambda a, s=s: broken_heart(a, s)), d) for s, d in ((0.0, 900), (0.0, 120), (0.5, 120), (1.0, 1200))]


def lips(a, pucker, hearts):
    def sx(x):
        return 9.5 + (x - 9.5) * pucker

    upper = a.poly([(sx(1.4), 10.4), (sx(3.4), 8.2), (sx(6.4), 6.4), (sx(8.4), 6.8), (9.5, 7.8), (sx(10.6), 6.8),
                    (sx(12.6), 6.4), (sx(15.6), 8.2), (sx(17.6), 10.4), (sx(13.0), 10.2), (9.5, 10.6), (sx(6.0), 10.2)])
    lower = a.poly([(sx(1.4), 10.4), (sx(6.0), 10.6), (9.5, 11.0), (sx(13.0), 10.6), (sx(17.6), 10.4), (sx(15.0), 13.2),
                    (sx(12.0), 14.8), (9.5, 15.2), (sx(7.0), 14.8), (sx(4.0), 13.2)])
    a.paint(union(upper, lower), (222, 36, 60), (120, 14, 30), width=0.9)
    a.paint(lower, (232, 52, 76), None, stops=[(0, (246, 96, 116)), (1, (200, 26, 50))], kind="vert")
    a.over((130, 14, 32), a.stroke([(sx(1.8), 10.4), (sx(6.0), 10.4), (9.5, 10.8), (sx(13.0), 10.4), (sx(17.2), 10.4)],
                                   0.7))
    a.over(WHITE, a.poly(ellipse_points(sx(11.6), 12.6, 1.8 * pucker, 0.6, -8)), 0.55)
    if hearts:
        heart(a, 15.6, 3.6, 1.6, opacity=0.95)


def lips_frames(st):
    return [((lambda a, p=p, h=h: lips(a, p, h)), d) for p, h, d in ((1.0, False, 700), (0.85, False, 140),
                                                                        (0.75, True, 500), (0.85, False, 140))]


def star_frames(st):
    def draw(a, rot, tw):
        m = star_mask(a, 9.5, 10.2, 8.4, 0.46, rot)
        a.paint(m, (255, 208, 40), (176, 112, 0), width=0.9, kind="radial",
                stops=[(0, (255, 250, 190)), (0.45, (255, 210, 40)), (1, (236, 150, 10))])
        if tw is not None:
            sparkle(a, (4.0, 15.0, 14.0)[tw], (4.0, 3.4, 15.6)[tw], 2.2)
    return [((lambda a, r=r, t=t: draw(a, r, t)), 160) for r, t in ((0, 0), (6, None), (12, 1), (6, 2))]


def note_frames(st):
    def draw(a, dy, small):
        music_note(a, 6.4, 14.6 + dy, 1.45, (60, 100, 200))
        if small is not None:
            music_note(a, 14.2, 8.0 - small, 0.8, (230, 90, 60), opacity=1.0)
    return [((lambda a, dy=dy, sm=sm: draw(a, dy, sm)), 180)
            for dy, sm in ((0.0, None), (-1.0, 0.0), (-1.6, 1.2), (-1.0, 2.2))]


def cake(a, flame):
    plate = a.ellipse(1.0, 15.0, 18.0, 18.6)
    a.paint(plate, (236, 240, 246), (130, 140, 156), width=0.8, kind="flat")
    body = a.rect(2.6, 9.0, 16.4, 16.8, 1.2)
    a.paint(body, (246, 214, 170), (150, 100, 50), width=0.9)
    icing = union(a.rect(2.6, 9.0, 16.4, 11.4, 1.0), *[a.circle(4.0 + 2.8 * i, 11.4, 1.0) for i in range(5)])
    a.paint(icing, (250, 160, 190), (180, 70, 110), width=0.7, kind="flat")
    a.over((236, 90, 130), a.rect(2.6, 13.4, 16.4, 14.2))
    for i, x in enumerate((6.0, 9.5, 13.0)):
        c = a.rect(x - 0.7, 5.4, x + 0.7, 9.2)
        a.paint(c, (120, 170, 240), (40, 80, 160), width=0.6, kind="flat")
        fl = 0.3 * math.sin((flame + i) * 2.1)
        f = union(a.circle(x + fl * 0.5, 3.9, 0.95), a.poly([(x - 0.9, 3.9), (x + 0.9, 3.9), (x + fl, 1.6 - fl)]))
        a.paint(f, (255, 190, 40), (220, 110, 20), width=0.5, kind="flat")
        a.over((255, 250, 200), a.circle(x + fl * 0.5, 4.0, 0.45))


def cake_frames(st):
    return [((lambda a, i=i: cake(a, i)), 130) for i in range(3)]


def coffee(a, phase):
    saucer = a.ellipse(1.0, 15.4, 18.0, 18.6)
    a.paint(saucer, (236, 240, 246), (120, 130, 146), width=0.8, kind="flat")
    handle = minus(a.ellipse(11.6, 9.4, 17.4, 14.8), a.ellipse(13.2, 10.8, 15.8, 13.4))
    a.paint(handle, (250, 250, 252), (120, 130, 146), width=0.8, kind="flat")
    cup = union(a.rect(3.0, 8.4, 14.2, 12.0), a.ellipse(3.0, 8.0, 14.2, 17.0))
    cup = minus(cup, a.rect(0, 0, 19, 8.4))
    a.paint(cup, WHITE, (120, 130, 146), width=0.9, stops=[(0, WHITE), (1, (214, 220, 230))])
    a.paint(a.ellipse(3.6, 7.6, 13.6, 9.6), (120, 70, 36), (90, 50, 24), width=0.6, kind="flat")
    for i, x in enumerate((6.6, 10.2)):
        p = phase + i * 2
        pts = [(x + 0.9 * math.sin(p * 1.6 + j * 1.3), 6.6 - j * 1.2) for j in range(5)]
        a.over((170, 180, 196), a.stroke(pts, 0.8), 0.9)


def coffee_frames(st):
    return [((lambda a, i=i: coffee(a, i)), 150) for i in range(4)]


def gift(a, lid, sparkles):
    box = a.rect(2.4, 8.4, 16.6, 17.8, 0.8)
    a.paint(box, (70, 150, 220), (24, 80, 150), width=0.9)
    a.over((250, 220, 70), union(a.rect(8.5, 8.4, 10.5, 17.8)))
    top = a.rect(1.4, 5.8 - lid, 17.6, 9.0 - lid, 0.8)
    a.paint(top, (90, 170, 236), (24, 80, 150), width=0.9)
    a.over((250, 220, 70), a.rect(8.5, 5.8 - lid, 10.5, 9.0 - lid))
    bow = union(a.poly(ellipse_points(7.0, 4.0 - lid, 2.6, 1.5, 20)),
                a.poly(ellipse_points(12.0, 4.0 - lid, 2.6, 1.5, -20)))
    a.paint(bow, (250, 220, 70), (170, 120, 0), width=0.8)
    a.paint(a.circle(9.5, 4.6 - lid, 1.1), (250, 200, 40), (170, 120, 0), width=0.6, kind="flat")
    if sparkles:
        sparkle(a, 3.2, 2.6, 2.0, (255, 220, 80))
        sparkle(a, 16.0, 2.0, 1.6, (255, 220, 80))


def gift_frames(st):
    return [((lambda a, l=l, s=s: gift(a, l, s)), d) for l, s, d in ((0.0, False, 700), (0.8, False, 100),
                                                                        (1.5, True, 240), (0.8, False, 100))]


def bulb(a, on):
    if on:
        glow = a.circle(9.5, 7.8, 8.6)
        a.over((255, 240, 140), glow, 0.55 if on == 2 else 0.3)
    glass = union(a.circle(9.5, 7.4, 5.6), a.poly([(6.0, 10.6), (13.0, 10.6), (12.0, 13.6), (7.0, 13.6)]))
    fill = (255, 226, 80) if on else (220, 228, 236)
    a.paint(glass, fill, (150, 120, 40) if on else (120, 130, 146), width=0.9, kind="radial")
    a.over((170, 130, 60) if on else (150, 156, 170), a.stroke([(8.0, 11.0), (8.6, 8.0), (9.5, 9.6), (10.4, 8.0),
                                                               (11.0, 11.0)], 0.6))
    base = a.rect(7.0, 13.4, 12.0, 17.2, 0.6)
    a.paint(base, (176, 182, 194), (90, 96, 108), width=0.8)
    a.over((110, 116, 128), union(a.rect(7.0, 14.6, 12.0, 15.1), a.rect(7.0, 15.9, 12.0, 16.4)))
    a.gloss(a.circle(8.0, 5.6, 2.4), 0.8, 0.0, 1.0)


def bulb_frames(st):
    return [((lambda a, o=o: bulb(a, o)), d) for o, d in ((0, 700), (1, 90), (2, 1200), (1, 90))]


def moon(a, tw):
    m = minus(a.circle(9.0, 9.8, 7.6), a.circle(13.0, 7.2, 6.4))
    a.paint(m, (255, 226, 90), (170, 120, 10), width=0.9, kind="radial")
    eye = a.arc(5.6, 8.6, 1.2, 0.8, 20, 160, 0.8)
    a.over((120, 80, 10), eye)
    for i, (x, y) in enumerate(((15.0, 13.6), (12.4, 2.6), (17.0, 6.6))):
        r = 1.6 if (i + tw) % 3 == 0 else 0.9
        sparkle(a, x, y, r, (255, 220, 80))
        a.over((200, 150, 20), a.circle(x, y, 0.35))


def moon_frames(st):
    return [((lambda a, t=t: moon(a, t)), 240) for t in range(3)]


def sun(a, rot):
    rays = star_mask(a, 9.5, 9.5, 9.2, 0.55, rot, 12)
    a.paint(rays, (255, 180, 30), (200, 110, 10), width=0.8, kind="flat")
    disc = a.circle(9.5, 9.5, 5.6)
    a.paint(disc, (255, 220, 60), (200, 120, 10), width=0.9, kind="radial")
    a.over((150, 80, 10), union(a.circle(7.6, 8.6, 0.7), a.circle(11.4, 8.6, 0.7)))
    a.over((150, 80, 10), a.arc(9.5, 9.4, 2.6, 2.0, 30, 150, 0.7))


def sun_frames(st):
    return [((lambda a, r=r: sun(a, r)), 120) for r in (0, 5, 10, 15, 20, 25)]


def clock(a, minute):
    bells = union(a.circle(3.6, 3.6, 2.2), a.circle(15.4, 3.6, 2.2))
    a.paint(bells, (214, 54, 48), (110, 24, 20), width=0.8)
    a.paint(union(a.rect(4.0, 16.0, 5.6, 18.4), a.rect(13.4, 16.0, 15.0, 18.4)), (90, 96, 110), (40, 44, 56), width=0.7)
    face = a.circle(9.5, 10.0, 7.2)
    a.erase(dilate(face, SS * 2))
    a.paint(face, (250, 250, 252), (70, 80, 100), width=1.0, stops=[(0, WHITE), (1, (210, 218, 230))])
    for i in range(12):
        ang = math.radians(30 * i - 90)
        r0 = 5.4 if i % 3 else 4.8
        a.over((90, 100, 120), a.stroke([(9.5 + r0 * math.cos(ang), 10.0 + r0 * math.sin(ang)),
                                         (9.5 + 6.2 * math.cos(ang), 10.0 + 6.2 * math.sin(ang))], 0.5, caps=False))
    for length, ang, w in ((3.4, 300, 1.0), (5.2, minute, 0.8)):
        t = math.radians(ang - 90)
        a.over((40, 44, 56), a.stroke([(9.5, 10.0), (9.5 + length * math.cos(t), 10.0 + length * math.sin(t))], w))
    a.over((214, 54, 48), a.circle(9.5, 10.0, 0.8))


def clock_frames(st):
    return [((lambda a, m=m: clock(a, m)), 250) for m in (0, 90, 180, 270)]


def mail(a, dy, flash):
    body = a.rect(1.2, 5.6 + dy, 17.8, 16.0 + dy, 1.0)
    edge = (150, 108, 30)
    a.paint(body, (255, 236, 160), edge, stops=[(0, (255, 248, 210)), (1, (250, 214, 120))])
    a.over(edge, a.stroke([(2.0, 6.4 + dy), (9.5, 12.2 + dy), (17.0, 6.4 + dy)], 1.0, caps=False))
    if flash:
        sparkle(a, 15.6, 3.4 + dy, 2.6, (255, 200, 40))


def mail_frames(st):
    return [((lambda a, d=d, f=f: mail(a, d, f)), ms) for d, f, ms in ((0.0, False, 700), (-1.2, False, 120),
                                                                      (-2.0, True, 300), (-1.2, False, 120))]


def phone(a, shake, rings):
    layer = Art(a.w, a.h, a.w / a.s * SS)
    body = layer.poly([(4.6, 9.0), (14.4, 9.0), (17.0, 17.6), (2.0, 17.6)])
    layer.paint(body, (220, 60, 50), (120, 20, 16), width=0.9)
    dial = layer.circle(9.5, 13.4, 2.9)
    layer.paint(dial, (250, 250, 252), (120, 20, 16), width=0.7, kind="flat")
    for i in range(8):
        t = math.radians(45 * i)
        layer.over((150, 40, 36), layer.circle(9.5 + 1.9 * math.cos(t), 13.4 + 1.9 * math.sin(t), 0.42))
    grip = layer.arc(9.5, 10.0, 6.2, 4.6, 205, 335, 2.0, caps=False)
    ends = union(layer.rect(1.2, 6.0, 5.6, 9.4, 1.4), layer.rect(13.4, 6.0, 17.8, 9.4, 1.4))
    layer.erase(dilate(union(grip, ends), SS))
    layer.paint(union(grip, ends), (232, 72, 60), (120, 20, 16), width=0.9)
    if shake:
        layer.img = layer.img.rotate(shake, Image.BICUBIC, center=(9.5 * layer.s, 17.0 * layer.s))
    a.img = Image.alpha_composite(a.img, layer.img)
    if rings:
        for x0, sgn in ((1.2, -1), (17.8, 1)):
            for j in range(2):
                mark = [(x0 + sgn * 0.2, 2.0 + 1.6 * j), (x0 + sgn * 1.2, 1.2 + 1.6 * j)]
                a.over((60, 100, 200), a.stroke(mark, 0.6))


def phone_frames(st):
    return [((lambda a, s=s, r=r: phone(a, s, r)), d) for s, r, d in ((0, False, 700), (-6, True, 80), (6, True, 80),
                                                                      (-6, True, 80), (6, True, 80))]


MSN_SMILIES = [
    ("smile.gif", "Smile", [":)", ":-)"], lambda st: blink_frames(st, lambda f: f.smile())),
    ("grin.gif", "Open-mouthed", [":D", ":d", ":-D", ":-d"], lambda st: blink_frames(st, lambda f: f.grin(0.8), 2000)),
    ("wink.gif", "Wink", [";)", ";-)"], wink_smile),
    ("surprised.gif", "Surprised", [":O", ":o", ":-O", ":-o"], surprised_frames),
    ("tongue.gif", "Tongue out", [":P", ":p", ":-P", ":-p"], tongue_frames),
    ("hot.gif", "Hot", ["(H)", "(h)"], lambda st: cool_frames(st, lambda f: f.grin(0.55, 0.95, tongue=False))),
    ("angry.gif", "Angry", [":@", ":-@"], angry_frames),
    ("confused.gif", "Confused", [":S", ":s", ":-S", ":-s"], confused_frames),
    ("embarrassed.gif", "Embarrassed", [":$", ":-$"], blush_frames),
    ("sad.gif", "Sad", [":(", ":-("], lambda st: blink_frames(st, lambda f: (f.brows(sad=True), f.frown()), 1800)),
    ("crying.gif", "Crying", [":'("], cry_frames),
    ("disappointed.gif", "Disappointed", [":|", ":-|"], disappointed_frames),
    ("angel.gif", "Angel", ["(A)", "(a)"], angel_frames),
    ("devil.gif", "Devil", ["(6)"], devil_frames),
    ("teeth.gif", "Baring teeth", ["8o|"], teeth_frames),
    ("sleepy.gif", "Sleepy", ["|-)"], sleep_frames),
    ("thumbsup.gif", "Thumbs up", ["(Y)", "(y)"], thumb_frames),
    ("thumbsdown.gif", "Thumbs down", ["(N)", "(n)"], lambda st: thumb_frames(st, down=True)),
    ("heart.gif", "Red heart", ["(L)", "(l)"], heart_frames),
    ("brokenheart.gif", "Broken heart", ["(U)", "(u)"], broken_frames),
    ("lips.gif", "Red lips", ["(K)", "(k)"], lips_frames),
    ("rose.gif", "Red rose", ["(F)", "(f)"], rose_frames),
    ("star.gif", "Star", ["(*)"], star_frames),
    ("note.gif", "Note", ["(8)"], note_frames),
    ("cake.gif", "Birthday cake", ["(^)"], cake_frames),
    ("coffee.gif", "Coffee cup", ["(C)", "(c)"], coffee_frames),
    ("gift.gif", "Gift with a bow", ["(G)", "(g)"], gift_frames),
    ("bulb.gif", "Light bulb", ["(I)", "(i)"], bulb_frames),
    ("moon.gif", "Sleeping half-moon", ["(S)"], moon_frames),
    ("sun.gif", "Sun", ["(#)"], sun_frames),
    ("beer.gif", "Beer mug", ["(B)", "(b)"], drink_frames),
    ("clock.gif", "Clock", ["(O)", "(o)"], clock_frames),
    ("mail.gif", "E-mail", ["(E)", "(e)"], mail_frames),
    ("phone.gif", "Telephone", ["(T)", "(t)"], phone_frames),
]
