"""The animations of the Default smiley set, several of which the MSN set shares."""

from .draw import SS, WHITE, erode, inter, minus, rotate_points, union
from .smiley_face import Face, face_frame, heart, music_note, rose, sparkle, star_mask, thumb, zz


def wink_smile(st):
    return wink_frames(st, lambda f, stage: f.smile(1.0 + 0.05 * stage, 1.0 + 0.08 * stage))


def blink_frames(st, mouth, hold=2400):
    """Open eyes held, then a quick blink."""
    return [(face_frame(st, lambda f: (f.eyes(), mouth(f))), hold),
            (face_frame(st, lambda f: (f.eyes(sy=0.45), mouth(f))), 60),
            (face_frame(st, lambda f: (f.eyes_closed(), mouth(f))), 100),
            (face_frame(st, lambda f: (f.eyes(sy=0.45), mouth(f))), 60)]


def wink_frames(st, mouth, hold=1400):
    def w(f, stage):
        f.eye(*f.le)
        if stage == 0:
            f.eye(*f.re)
        elif stage == 1:
            f.eye(*f.re, sy=0.45)
        else:
            f.eye_closed(*f.re, up=True)
    return [(face_frame(st, lambda f: (w(f, 0), mouth(f, 0))), hold),
            (face_frame(st, lambda f: (w(f, 1), mouth(f, 1))), 70),
            (face_frame(st, lambda f: (w(f, 2), mouth(f, 2))), 900),
            (face_frame(st, lambda f: (w(f, 1), mouth(f, 1))), 70)]


def laugh_frames(st):
    out = []
    for dy, op in ((0.0, 1.0), (-0.8, 0.7), (0.0, 1.0), (-0.8, 0.7)):
        out.append((face_frame(st, lambda f, op=op: (f.eyes_closed(up=True), f.grin(op)), cy=9.5 + dy), 110))
    out.append((face_frame(st, lambda f: (f.eyes_closed(up=True), f.grin(0.85))), 1200))
    return out


def tongue_frames(st, wink=False):
    def eyes(f):
        if wink:
            f.eye(*f.le)
            f.eye_closed(*f.re, up=True)
        else:
            f.eyes()
    return [(face_frame(st, lambda f: (eyes(f), f.tongue_out(0))), 900),
            (face_frame(st, lambda f: (eyes(f), f.tongue_out(14))), 140),
            (face_frame(st, lambda f: (eyes(f), f.tongue_out(0))), 140),
            (face_frame(st, lambda f: (eyes(f), f.tongue_out(-14))), 140)]


def surprised_frames(st):
    return [(face_frame(st, lambda f: (f.eyes_white(), f.o_mouth(0.7))), 900),
            (face_frame(st, lambda f: (f.eyes_white(size=1.05), f.brows(lift=0.5), f.o_mouth(1.0))), 90),
            (face_frame(st, lambda f: (f.eyes_white(size=1.1), f.brows(lift=1.0), f.o_mouth(1.3))), 1300),
            (face_frame(st, lambda f: (f.eyes_white(size=1.05), f.brows(lift=0.5), f.o_mouth(1.0))), 90)]


def shades(f, glint=None):
    a, k = f.a, f.k
    lens = []
    for x, y in (f.le, f.re):
        lens.append(a.rect(x - 2.5 * k, y - 1.5 * k, x + 2.3 * k, y + 1.7 * k, 1.2 * k))
    bridge = a.stroke([(f.le[0] + 2.0 * k, f.le[1] - 0.6 * k), (f.re[0] - 2.0 * k, f.re[1] - 0.6 * k)], 0.8 * k)
    arms = union(a.stroke([(f.le[0] - 2.4 * k, f.le[1] - 0.8 * k), (f.cx - f.r + 0.3, f.le[1] - 1.2 * k)], 0.8 * k),
                 a.stroke([(f.re[0] + 2.4 * k, f.re[1] - 0.8 * k), (f.cx + f.r - 0.3, f.re[1] - 1.2 * k)], 0.8 * k))
    a.over((30, 34, 44), union(bridge, arms))
    glass = union(*lens)
    a.paint(glass, (40, 46, 62), (20, 22, 30), width=0.8, stops=[(0, (96, 110, 140)), (0.5, (40, 46, 62)),
                                                                 (1, (20, 24, 34))])
    if glint is not None:
        band = a.poly([(glint - 1.2, 0), (glint + 0.4, 0), (glint - 5.4, 19), (glint - 7.0, 19)])
        a.over(WHITE, inter(band, erode(glass, SS // 2)), 0.8)


def cool_frames(st, mouth=lambda f: f.smile(0.9, 0.9)):
    out = [(face_frame(st, lambda f: (shades(f), mouth(f))), 1800)]
    for g in (6.0, 9.0, 12.0, 15.0, 18.0):
        out.append((face_frame(st, lambda f, g=g: (shades(f, g), mouth(f))), 70))
    return out


def cry_frames(st):
    def feats(f, t):
        f.eyes_closed()
        f.brows(sad=True)
        f.frown(0.8)
        for i, (x, y) in enumerate((f.le, f.re)):
            p = (t + i * 2) % 4
            f.tear(x + (0.4 if i else -0.4), y + 2.0 + 1.9 * p, 0.8 + 0.1 * p)
    return [(face_frame(st, lambda f, t=t: feats(f, t)), 150) for t in range(4)]


def kiss_frames(st):
    def feats(f, h):
        f.eye(*f.le)
        f.eye_closed(*f.re, up=True)
        f.kiss()
        if h is not None:
            heart(f.a, 14.0 + 0.4 * h, 12.6 - 2.4 * h, 1.6 + 0.3 * h, opacity=1.0 if h < 3 else 0.7)
    return ([(face_frame(st, lambda f: feats(f, None)), 900)] +
            [(face_frame(st, lambda f, h=h: feats(f, h)), 130) for h in range(4)])


def blush_frames(st):
    def feats(f, amount, look):
        f.eyes(dx=look, dy=0.6)
        f.flat(0.55, 0.4, 0.0)
        f.blush(amount)
    return [(face_frame(st, lambda f: feats(f, 0.35, -0.6)), 400),
            (face_frame(st, lambda f: feats(f, 0.7, -0.6)), 300),
            (face_frame(st, lambda f: feats(f, 1.0, 0.6)), 1200),
            (face_frame(st, lambda f: feats(f, 0.7, 0.6)), 300)]


def steam(a, x, y, size, opacity):
    m = union(a.circle(x, y, 1.1 * size), a.circle(x + 1.2 * size, y - 0.6 * size, 0.9 * size),
              a.circle(x + 0.3 * size, y - 1.3 * size, 0.8 * size))
    a.paint(m, (250, 250, 252), (170, 176, 188), width=0.7, opacity=opacity)


def angry_frames(st):
    red = (236, 56, 36)

    def feats(f, open_):
        f.brows(angry=True)
        f.eyes(sy=0.75, dy=0.3)
        f.o_mouth(open_)
    out = []
    for amount, open_, puff in ((0.15, 0.8, None), (0.45, 1.0, None), (0.75, 1.2, 0), (0.75, 1.2, 1)):
        def after(a, puff=puff):
            if puff is not None:
                steam(a, 2.6, 5.2 - puff, 1.0 + 0.2 * puff, 0.9)
                steam(a, 15.0, 5.2 - puff, 1.0 + 0.2 * puff, 0.9)
        out.append((face_frame(st, lambda f, o=open_: feats(f, o), tint=red, amount=amount, after=after),
                    160 if puff is None else 220))
    return out


def zipper(f):
    a, k = f.a, f.k
    cx, cy = f.mouth
    cy += 0.7 * k
    a.over(f.st.ink, a.stroke([(cx - 3.4 * k, cy), (cx + 3.4 * k, cy)], 0.9 * k))
    for i in range(7):
        x = cx - 3.0 * k + i * k
        a.over(f.st.ink, a.stroke([(x, cy - 0.9 * k), (x, cy + 0.9 * k)], 0.45 * k, caps=False))
    tab = a.rect(cx + 3.2 * k, cy - 0.9 * k, cx + 4.6 * k, cy + 1.6 * k, 0.4 * k)
    a.paint(tab, (200, 204, 212), (90, 94, 104), width=0.7, kind="flat")


def sealed_frames(st):
    return [(face_frame(st, lambda f, l=l: (f.eyes_white(look=(l, 0.2)), zipper(f))), d)
            for l, d in ((-0.6, 700), (0.0, 250), (0.6, 700), (0.0, 250))]


def halo(a, y, bright):
    ring = minus(a.ellipse(4.0, y - 1.7, 15.0, y + 1.7), a.ellipse(6.2, y - 0.6, 12.8, y + 0.6))
    a.paint(ring, (255, 204, 40), (168, 116, 0), width=0.9, stops=[(0, (255, 240, 150)), (1, (240, 170, 10))])
    if bright:
        sparkle(a, 13.2, y - 0.8, 1.8)


def angel_frames(st):
    return [(face_frame(st, lambda f: (f.eyes_closed(up=True), f.smile(0.85)), cy=10.9, r=7.4,
                        after=lambda a, y=y, b=b: halo(a, y, b)), d)
            for y, b, d in ((2.2, False, 260), (1.7, False, 260), (1.5, True, 420), (1.8, False, 260))]


def rose_frames(st):
    return [((lambda a, ang=ang: rose(a, ang)), d) for ang, d in ((0, 300), (-7, 300), (0, 300), (7, 300))]


def thumb_frames(st, down=False):
    def draw(a, dy, shine):
        thumb(a, down, dy)
        if shine:
            m = star_mask(a, 3.4, 4.2 if not down else 14.8, 2.6, 0.42)
            a.paint(m, (255, 220, 60), (190, 130, 0), width=0.7)
    return [((lambda a, dy=dy, sh=sh: draw(a, dy, sh)), d)
            for dy, sh, d in ((0.0, False, 700), (-0.9, False, 120), (-1.4, True, 400), (-0.6, False, 120))]


def headphones(f):
    a = f.a
    band = a.arc(f.cx, f.cy + 0.6, f.r + 0.2, f.r + 0.6, 185, 355, 0.9)
    a.paint(band, (150, 156, 168), (50, 54, 64), width=0.7, kind="flat")
    for side in (-1, 1):
        x = f.cx + side * (f.r - 0.2)
        cup = a.rect(x - 1.5, f.cy - 1.2, x + 1.5, f.cy + 3.6, 1.0)
        a.paint(cup, (214, 56, 48), (110, 24, 20), width=0.8)


def music_frames(st):
    def feats(f):
        f.eyes_closed(up=True)
        f.smile(0.85)
        headphones(f)
    out = []
    for ang, note_y, d in ((-6, None, 240), (0, 0.0, 240), (6, None, 240), (0, 1.5, 240)):
        def after(a, ny=note_y):
            if ny is not None:
                music_note(a, 14.6, 7.4 - ny, 0.72, opacity=1.0)
        out.append((face_frame(st, feats, cx=9.5, cy=10.3, r=7.3, angle=ang, after=after), d))
    return out


def mug(a, level, bubbles, foam_phase):
    glass = a.rect(3.0, 4.4, 13.4, 17.8, 1.4)
    handle = minus(a.rect(11.6, 7.0, 17.6, 15.4, 2.6), a.rect(13.2, 8.8, 15.8, 13.6, 1.2))
    a.paint(handle, (216, 232, 244), (90, 110, 130), width=0.8, kind="flat")
    a.paint(glass, (216, 232, 244), (90, 110, 130), width=0.8, kind="flat")
    beer = inter(a.rect(4.2, 7.0 + level, 12.2, 16.6, 0.8), glass)
    a.paint(beer, (244, 172, 30), None, stops=[(0, (255, 206, 80)), (1, (214, 128, 16))])
    for bx, by in bubbles:
        a.over((255, 236, 170), a.circle(bx, by, 0.55))
    foam = union(*[a.circle(4.0 + 2.2 * i, 5.6 + 0.5 * level + (0.5 if (i + foam_phase) % 2 else 0.0), 1.8)
                   for i in range(5)], a.rect(3.0, 5.4 + 0.5 * level, 13.4, 7.6 + level))
    a.paint(foam, (255, 255, 255), (170, 176, 188), width=0.8, stops=[(0, WHITE), (1, (230, 232, 236))])
    a.over(WHITE, a.rect(4.4, 9.0, 5.2, 15.6, 0.3), 0.55)


def drink_frames(st):
    tracks = [[(6.8, 15.6), (9.6, 13.2)], [(6.8, 13.6), (9.6, 11.0), (8.2, 16.0)],
              [(6.8, 11.6), (9.6, 15.4), (8.2, 13.8)], [(6.8, 9.8), (9.6, 13.4), (8.2, 11.6)]]
    return [((lambda a, b=b, i=i: mug(a, 0.0, b, i)), 150) for i, b in enumerate(tracks)]


def heart_eyes(f, size):
    for x, y in (f.le, f.re):
        heart(f.a, x, y + 0.2, size, width=0.7)


def inlove_frames(st):
    return [(face_frame(st, lambda f, s=s: (heart_eyes(f, s), f.smile(0.95, 1.05))), d)
            for s, d in ((1.5, 200), (1.9, 200), (2.25, 400), (1.9, 200))]


def oops_frames(st):
    def feats(f, drop):
        f.eyes_white(look=(0.5, -0.3), size=0.95)
        f.brows(sad=True)
        f.wavy(0.4)
        if drop is not None:
            f.tear(14.6, 3.4 + drop * 1.6, 0.9 + 0.05 * drop, (140, 200, 245))
    return [(face_frame(st, lambda f, d=d: feats(f, d)), ms)
            for d, ms in ((None, 600), (0, 160), (1, 160), (2, 160), (3, 400))]


def rofl_frames(st):
    def feats(f):
        f.eyes_closed(up=True)
        f.grin(0.9)
        f.tear(f.le[0] - 2.2, f.le[1] + 1.6, 0.75)
        f.tear(f.re[0] + 2.2, f.re[1] + 1.6, 0.75)
    return [(face_frame(st, feats, angle=-ang), 110) for ang in (0, 90, 180, 270)]


def undecided_frames(st):
    return [(face_frame(st, lambda f, l=l, t=t: (f.eyes(dx=l), f.brows(lift=0.3 if l else 0.0), f.flat(0.7, 0.0, t)),), d)
            for l, t, d in ((0.0, 0.9, 900), (-0.6, 0.9, 500), (0.0, -0.9, 900), (0.6, -0.9, 500))]


def horns(a, f, glow):
    for side in (-1, 1):
        base = f.cx + side * 4.6
        m = a.poly([(base - 1.9 * side, 4.4), (base + 1.4 * side, 3.0), (base + 2.6 * side, 0.3)])
        a.paint(m, (200, 40, 30) if not glow else (236, 70, 50), (110, 14, 10), width=0.8)


def devil_frames(st):
    red = (222, 58, 40)

    def feats(f, squint):
        f.brows(angry=True)
        f.eyes(sy=squint, dy=0.4)
        f.smile(1.05, 1.1)
        f.a.over(WHITE, inter(f.a.poly([(f.cx - 2.6, f.mouth[1] + 0.3), (f.cx - 1.6, f.mouth[1] + 1.9),
                                        (f.cx - 0.8, f.mouth[1] + 0.6)]), f.disc))
        f.a.over(WHITE, inter(f.a.poly([(f.cx + 2.6, f.mouth[1] + 0.3), (f.cx + 1.6, f.mouth[1] + 1.9),
                                        (f.cx + 0.8, f.mouth[1] + 0.6)]), f.disc))
    out = []
    for squint, glow, d in ((0.9, False, 900), (0.55, True, 200), (0.4, True, 500), (0.55, False, 200)):
        out.append((face_frame(st, lambda f, s=squint: feats(f, s), cy=10.3, r=7.8, tint=red, amount=0.62,
                               before=lambda a, g=glow: horns(a, Face(a, st, 9.5, 10.3, 7.8), g)), d))
    return out


def sleep_frames(st):
    def feats(f):
        f.eyes_closed()
        f.o_mouth(0.55, dy=0.6)
    out = []
    for t in range(4):
        def after(a, t=t):
            for i in range(2):
                p = (t + 2 * i) % 4
                zz(a, 14.4 + 0.6 * p, 7.6 - 1.6 * p, 0.9 + 0.15 * p, (40, 80, 170), 1.0 if p < 3 else 0.6)
        out.append((face_frame(st, feats, cx=8.2, cy=10.8, r=7.2, after=after), 260))
    return out


def bomb(a, spark):
    body = a.circle(8.6, 11.0, 6.6)
    a.paint(body, (60, 64, 74), (20, 22, 28), kind="radial", stops=[(0, (150, 156, 170)), (0.4, (64, 68, 80)),
                                                                    (1, (26, 28, 34))])
    cap = a.poly(rotate_points([(7.2, 2.8), (10.6, 2.8), (10.6, 5.4), (7.2, 5.4)], 8.9, 4.1, 35))
    a.paint(cap, (120, 126, 138), (40, 42, 50), width=0.8)
    fuse = a.stroke([(10.4, 3.4), (12.0, 2.0), (13.6, 2.6), (14.6, 1.8)], 0.8, caps=False)
    a.over((150, 110, 60), fuse)
    colors = ((255, 240, 120), (255, 170, 40), (255, 110, 30))
    sparkle(a, 15.4, 2.6, 2.6 + 0.5 * spark, colors[spark % 3])
    sparkle(a, 15.4, 2.6, 1.4, WHITE)


def bomb_frames(st):
    return [((lambda a, i=i: bomb(a, i)), 100) for i in range(3)]


DEFAULT_SMILIES = [
    ("smile.gif", "Smile", [":-)", ":)"], lambda st: blink_frames(st, lambda f: f.smile())),
    ("wink.gif", "Wink", [";-)", ";)"], wink_smile),
    ("sad.gif", "Sad", [":-(", ":("], lambda st: blink_frames(st, lambda f: (f.brows(sad=True), f.frown()), 1800)),
    ("laugh.gif", "Laughing", [":-D", ":D"], laugh_frames),
    ("tongue.gif", "Tongue", [":-P", ":P", ":-p", ":p"], tongue_frames),
    ("surprised.gif", "Surprised", [":-O", ":O", ":-o", ":o"], surprised_frames),
    ("cool.gif", "Cool", ["8-)"], cool_frames),
    ("cry.gif", "Crying", [":'(", ":'-("], cry_frames),
    ("kiss.gif", "Kiss", [":-*", ":*"], kiss_frames),
    ("blush.gif", "Embarrassed", [":-["], blush_frames),
    ("angry.gif", "Angry", [">:o", ">:-o"], angry_frames),
    ("sealed.gif", "Sealed lips", [":-X", ":-x"], sealed_frames),
    ("angel.gif", "Angel", ["O:-)", "O:)"], angel_frames),
    ("joking.gif", "Jokingly", ["*JOKINGLY*"], lambda st: tongue_frames(st, wink=True)),
    ("rose.gif", "Rose", ["@}->--"], rose_frames),
    ("thumbsup.gif", "Thumbs up", ["*THUMBS UP*"], thumb_frames),
    ("music.gif", "Music", ["[:-}"], music_frames),
    ("drink.gif", "Drink", ["*DRINK*"], drink_frames),
    ("inlove.gif", "In love", ["*IN LOVE*"], inlove_frames),
    ("oops.gif", "Oops", [":-!"], oops_frames),
    ("rofl.gif", "Rolling on the floor laughing", ["*ROFL*"], rofl_frames),
    ("undecided.gif", "Undecided", [":-/", ":-\\"], undecided_frames),
    ("devil.gif", "Devil", ["]:->"], devil_frames),
    ("sleep.gif", "Sleeping", ["|-)"], sleep_frames),
    ("bomb.gif", "Bomb", ["@="], bomb_frames),
]
