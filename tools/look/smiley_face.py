"""The smiley face, its two styles and the shapes several smileys share."""

import math

from PIL import Image

from .draw import SS, WHITE, Art, dark, ellipse_points, inter, minus, mix, rgb, rotate_points, union


# ----------------------------------------------------------------------------------------------
# Smileys: a 19-unit design on a 19x19 frame. Each smiley is a list of (draw function, delay).

SMILE_SIZE = 19
SMILE_MATTE = rgb("#F2F6FA")


class Style:
    def __init__(self, face, edge, ink, mouth, tongue, eye, gloss):
        self.face, self.edge, self.ink, self.mouth, self.tongue = face, edge, ink, mouth, tongue
        self.eye = eye  # eye half-width and half-height
        self.gloss = gloss


WARM = Style(face=[(0.0, (255, 248, 190)), (0.42, (255, 216, 64)), (0.78, (247, 180, 26)), (1.0, (228, 146, 12))],
             edge=(150, 88, 12), ink=(56, 28, 8), mouth=(118, 34, 22), tongue=(236, 100, 112),
             eye=(1.15, 1.8), gloss=0.38)
BRIGHT = Style(face=[(0.0, (255, 255, 214)), (0.4, (255, 236, 84)), (0.8, (252, 204, 34)), (1.0, (240, 172, 20))],
               edge=(96, 72, 16), ink=(44, 32, 12), mouth=(96, 28, 20), tongue=(238, 104, 116),
               eye=(1.2, 2.0), gloss=0.55)


class Face:
    """Geometry of one face: centre, radius and the positions of its features."""

    def __init__(self, a, st, cx=9.5, cy=9.5, r=8.3):
        self.a, self.st, self.cx, self.cy, self.r = a, st, cx, cy, r
        k = r / 8.3
        self.k = k
        self.le = (cx - 2.9 * k, cy - 2.1 * k)
        self.re = (cx + 2.9 * k, cy - 2.1 * k)
        self.mouth = (cx, cy + 3.2 * k)

    def base(self, tint=None, amount=0.0):
        a, st = self.a, self.st
        disc = a.circle(self.cx, self.cy, self.r)
        stops = st.face if tint is None else [(p, mix(c, tint, amount)) for p, c in st.face]
        edge = st.edge if tint is None else mix(st.edge, dark(tint, 0.4), amount)
        a.paint(disc, stops[1][1], edge, kind="radial", stops=stops,
                center=(self.cx - self.r * 0.35, self.cy - self.r * 0.42), radius=self.r * 1.75)
        hl = inter(a.ellipse(self.cx - self.r * 0.62, self.cy - self.r * 0.9, self.cx + self.r * 0.4,
                             self.cy - self.r * 0.12), disc)
        a.gloss(hl, st.gloss, 0.0, 1.0)
        self.disc = disc
        return disc

    # --- eyes ----------------------------------------------------------------------------------
    def eye(self, x, y, sx=1.0, sy=1.0):
        rx, ry = self.st.eye
        rx, ry = rx * self.k * sx, ry * self.k * sy
        self.a.over(self.st.ink, self.a.ellipse(x - rx, y - ry, x + rx, y + ry))
        if sy > 0.7 and self.k > 1.2:
            self.a.over(WHITE, self.a.circle(x - rx * 0.25, y - ry * 0.45, 0.42 * self.k), 0.85)

    def eyes(self, sx=1.0, sy=1.0, dx=0.0, dy=0.0):
        for x, y in (self.le, self.re):
            self.eye(x + dx, y + dy, sx, sy)

    def eye_closed(self, x, y, up=False):
        k = self.k
        if up:  # a happy arch
            m = self.a.arc(x, y + 0.9 * k, 1.45 * k, 1.3 * k, 200, 340, 0.95 * k)
        else:  # a lowered lid
            m = self.a.arc(x, y - 0.1 * k, 1.5 * k, 0.95 * k, 20, 160, 0.95 * k)
        self.a.over(self.st.ink, m)

    def eyes_closed(self, up=False):
        for x, y in (self.le, self.re):
            self.eye_closed(x, y, up)

    def eye_white(self, x, y, look=(0.0, 0.0), size=1.0):
        k = self.k * size
        white = self.a.ellipse(x - 1.55 * k, y - 2.0 * k, x + 1.55 * k, y + 2.0 * k)
        self.a.paint(white, WHITE, self.st.ink, kind="flat", width=0.8)
        px, py = x + look[0] * k, y + look[1] * k
        self.a.over(self.st.ink, inter(self.a.circle(px, py + 0.2 * k, 0.95 * k), white))

    def eyes_white(self, look=(0.0, 0.0), size=1.0):
        for x, y in (self.le, self.re):
            self.eye_white(x, y, look, size)

    def brows(self, angry=False, sad=False, lift=0.0):
        k = self.k
        for side, (x, y) in ((-1, self.le), (1, self.re)):
            y0 = y - 2.9 * k - lift
            inner, outer = x - side * 1.4 * k, x + side * 1.4 * k
            if angry:
                pts = [(inner, y0 + 0.7 * k), (outer, y0 - 0.8 * k)]
            elif sad:
                pts = [(inner, y0 - 0.9 * k), (outer, y0 + 0.2 * k)]
            else:
                pts = [(x - 1.4 * k, y0), (x + 1.4 * k, y0 - 0.1 * k)]
            self.a.over(self.st.ink, self.a.stroke(pts, 0.95 * k))

    # --- mouths --------------------------------------------------------------------------------
    def smile(self, width=1.0, depth=1.0, dy=0.0):
        k = self.k
        cx, cy = self.mouth
        m = self.a.arc(cx, cy - 2.2 * k + dy, 4.2 * k * width, 3.0 * k * depth, 28, 152, 1.05 * k)
        self.a.over(self.st.ink, m)

    def frown(self, width=1.0, dy=0.0):
        k = self.k
        cx, cy = self.mouth
        m = self.a.arc(cx, cy + 3.0 * k + dy, 3.6 * k * width, 2.6 * k, 208, 332, 1.05 * k)
        self.a.over(self.st.ink, m)

    def flat(self, width=1.0, dy=0.0, tilt=0.0):
        k = self.k
        cx, cy = self.mouth
        self.a.over(self.st.ink, self.a.stroke([(cx - 2.7 * k * width, cy + 0.9 * k + dy - tilt),
                                                (cx + 2.7 * k * width, cy + 0.9 * k + dy + tilt)], 1.05 * k))

    def wavy(self, phase=0.0):
        k = self.k
        cx, cy = self.mouth
        pts = [(cx - 3.0 * k + 0.5 * i * k, cy + 0.9 * k + 0.7 * k * math.sin(i * 1.1 + phase)) for i in range(13)]
        self.a.over(self.st.ink, self.a.stroke(pts, 1.0 * k))

    def grin(self, open_=1.0, width=1.0, teeth=True, tongue=True, dy=0.0):
        """An open laughing mouth: a D shape with teeth and tongue."""
        a, k = self.a, self.k
        cx, cy = self.mouth
        top = cy - 0.9 * k + dy
        h = (1.2 + 3.2 * open_) * k
        w = 4.3 * k * width
        shape = inter(a.ellipse(cx - w, top - h, cx + w, top + h), a.rect(cx - w - 1, top, cx + w + 1, top + h + 1))
        a.paint(shape, self.st.mouth, self.st.ink, kind="flat", width=0.9)
        if tongue:
            a.over(self.st.tongue, inter(a.ellipse(cx - w * 0.55, top + h * 0.55, cx + w * 0.55, top + h * 1.5), shape))
        if teeth:
            a.over(WHITE, inter(a.rect(cx - w, top, cx + w, top + min(1.3 * k, h * 0.4)), shape))

    def o_mouth(self, size=1.0, dy=0.0):
        a, k = self.a, self.k
        cx, cy = self.mouth
        cy += 0.6 * k + dy
        rx, ry = 1.5 * k * size, 1.9 * k * size
        m = a.ellipse(cx - rx, cy - ry, cx + rx, cy + ry)
        a.paint(m, self.st.mouth, self.st.ink, kind="flat", width=0.9)

    def tongue_out(self, swing=0.0, wide=1.0):
        a, k = self.a, self.k
        cx, cy = self.mouth
        cy += 0.2 * k
        t = a.poly(rotate_points(ellipse_points(cx, cy + 2.2 * k, 1.6 * k * wide, 2.2 * k, 0), cx, cy, swing))
        t = minus(t, a.rect(cx - 6, cy - 6, cx + 6, cy + 0.2 * k))
        a.paint(t, self.st.tongue, dark(self.st.tongue, 0.45), kind="flat", width=0.9)
        groove = rotate_points([(cx, cy + 0.8 * k), (cx, cy + 2.6 * k)], cx, cy, swing)
        a.over(dark(self.st.tongue, 0.3), a.stroke(groove, 0.5 * k))
        a.over(self.st.ink, a.stroke([(cx - 3.2 * k, cy), (cx + 3.2 * k, cy)], 1.05 * k))

    def kiss(self, pucker=1.0):
        a, k = self.a, self.k
        cx, cy = self.mouth
        cx += 0.6 * k
        cy += 0.6 * k
        lips = union(a.ellipse(cx - 1.4 * k * pucker, cy - 1.5 * k, cx + 1.4 * k * pucker, cy + 0.1 * k),
                     a.ellipse(cx - 1.5 * k * pucker, cy - 0.1 * k, cx + 1.5 * k * pucker, cy + 1.7 * k))
        a.paint(lips, (222, 40, 60), (130, 20, 30), width=0.8)

    def blush(self, amount=1.0):
        a, k = self.a, self.k
        for x, y in (self.le, self.re):
            a.over((240, 110, 100), a.ellipse(x - 1.8 * k, y + 2.5 * k, x + 1.8 * k, y + 3.9 * k), 0.75 * amount)

    def tear(self, x, y, size=1.0, color=(96, 176, 240)):
        a, k = self.a, self.k * size
        drop = union(a.circle(x, y + 0.6 * k, 1.05 * k), a.poly([(x - 0.95 * k, y + 0.4 * k), (x, y - 1.4 * k),
                                                                (x + 0.95 * k, y + 0.4 * k)]))
        a.paint(drop, color, dark(color, 0.4), width=0.8)


# --- shapes shared by several smileys ---------------------------------------------------------

def heart_mask(a, cx, cy, size):
    s = size
    return union(a.circle(cx - 0.5 * s, cy - 0.25 * s, 0.55 * s), a.circle(cx + 0.5 * s, cy - 0.25 * s, 0.55 * s),
                 a.poly([(cx - 1.02 * s, cy - 0.05 * s), (cx + 1.02 * s, cy - 0.05 * s), (cx, cy + 1.05 * s)]))


def heart(a, cx, cy, size, color=(230, 40, 60), edge=None, width=0.8, opacity=1.0):
    m = heart_mask(a, cx, cy, size)
    a.paint(m, color, edge or dark(color, 0.45), width=width, opacity=opacity)
    a.gloss(m, 0.45 * opacity, 0.0, 0.5)
    return m


def star_mask(a, cx, cy, r, inner=0.45, rot=0.0, points=5):
    pts = []
    for i in range(points * 2):
        rr = r if i % 2 == 0 else r * inner
        ang = math.radians(-90 + rot + 180 * i / points)
        pts.append((cx + rr * math.cos(ang), cy + rr * math.sin(ang)))
    return a.poly(pts)


def sparkle(a, cx, cy, r, color=WHITE, opacity=1.0):
    m = star_mask(a, cx, cy, r, 0.28, 0, 4)
    a.over(color, m, opacity)


def rose(a, angle):
    """A red rose on a stem, swaying around the foot of the stem."""
    layer = Art(a.w, a.h, a.w / a.s * SS)
    stem = layer.stroke([(9.0, 17.8), (9.6, 13.0), (10.4, 8.6)], 1.1)
    layer.paint(stem, (70, 150, 60), (34, 90, 30), kind="flat", width=0.8)
    leaf = layer.poly(ellipse_points(7.2, 13.4, 2.3, 1.0, -30))
    layer.paint(leaf, (86, 170, 70), (34, 90, 30), width=0.8)
    leaf2 = layer.poly(ellipse_points(12.0, 12.2, 2.0, 0.9, 25))
    layer.paint(leaf2, (86, 170, 70), (34, 90, 30), width=0.8)
    head = union(layer.circle(10.6, 5.6, 3.9), layer.poly([(6.9, 4.4), (8.2, 1.3), (10.6, 3.2), (13.0, 1.3),
                                                           (14.3, 4.4)]))
    layer.paint(head, (214, 36, 58), (120, 16, 30), kind="radial")
    petals = union(layer.arc(10.6, 5.4, 2.2, 1.8, 200, 470, 0.7), layer.arc(10.3, 6.6, 3.0, 2.0, 20, 160, 0.7))
    layer.over((140, 16, 36), petals)
    if angle:
        layer.img = layer.img.rotate(angle, Image.BICUBIC, center=(9.0 * layer.s, 17.8 * layer.s))
    a.img = Image.alpha_composite(a.img, layer.img)


def thumb(a, down=False, dy=0.0, skin=((255, 214, 120), (160, 100, 30))):
    layer = Art(a.w, a.h, a.w / a.s * SS)
    fill, edge = skin
    cuff = layer.rect(2.0, 9.0 + dy, 5.6, 17.6 + dy, 0.8)
    layer.paint(cuff, (70, 130, 210), (30, 70, 140), width=0.9)
    fist = layer.rect(5.0, 8.6 + dy, 15.6, 17.6 + dy, 2.2)
    th = layer.rect(6.4, 1.4 + dy, 10.6, 10.6 + dy, 2.0)
    layer.paint(union(fist, th), fill, edge, width=0.9)
    for i in range(3):
        layer.over(edge, layer.stroke([(11.0, 11.0 + 2.2 * i + dy), (15.2, 11.0 + 2.2 * i + dy)], 0.6))
    layer.over(edge, layer.stroke([(6.8, 10.4 + dy), (10.6, 10.6 + dy)], 0.6))
    if down:
        layer.img = layer.img.transpose(Image.Transpose.FLIP_TOP_BOTTOM)
    a.img = Image.alpha_composite(a.img, layer.img)


def music_note(a, x, y, size=1.0, color=(50, 90, 170), opacity=1.0):
    k = size
    m = union(a.poly(ellipse_points(x, y, 1.5 * k, 1.05 * k, -25)), a.rect(x + 1.0 * k, y - 5.6 * k, x + 1.7 * k, y),
              a.poly([(x + 1.0 * k, y - 5.6 * k), (x + 3.6 * k, y - 4.0 * k), (x + 3.6 * k, y - 2.6 * k),
                      (x + 1.7 * k, y - 3.9 * k)]))
    a.paint(m, color, dark(color, 0.5), width=0.8, opacity=opacity)


def zz(a, x, y, size, color, opacity=1.0):
    k = size
    m = a.stroke([(x - k, y - k), (x + k, y - k), (x - k, y + k), (x + k, y + k)], 0.8 * max(0.8, k * 0.6), caps=False)
    a.over(color, m, opacity)


def rotated(a, angle, draw):
    """Draws `draw(layer)` and turns it around the frame's centre."""
    layer = Art(a.w, a.h, a.w / a.s * SS)
    draw(layer)
    if angle:
        layer.img = layer.img.rotate(angle, Image.BICUBIC, center=(a.size[0] / 2, a.size[1] / 2))
    a.img = Image.alpha_composite(a.img, layer.img)


def face_frame(st, features, cx=9.5, cy=9.5, r=8.3, tint=None, amount=0.0, before=None, after=None, angle=0.0):
    """A draw function for one frame: the face, then its features."""
    def draw(a):
        def body(layer):
            if before:
                before(layer)
            f = Face(layer, st, cx, cy, r)
            f.base(tint, amount)
            features(f)
            if after:
                after(layer)
        if angle:
            rotated(a, angle, body)
        else:
            body(a)
    return draw
