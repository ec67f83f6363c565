"""Drawing primitives: colour helpers, the supersampled Art surface, mask operations and colour keying."""

import math

from PIL import Image, ImageChops, ImageDraw

SS = 4  # supersampling factor
KEY = (255, 0, 255)
ALPHA_CUT = 96  # coverage below this becomes transparent (key), above it is blended with the matte


# ----------------------------------------------------------------------------------------------
# Colours

def rgb(text):
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


def hexcolor(color):
    return "#%02X%02X%02X" % color


def mix(a, b, t):
    """a blended towards b by t (0 gives a, 1 gives b)."""
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def light(c, t=0.35):
    return mix(c, (255, 255, 255), t)


def dark(c, t=0.3):
    return mix(c, (0, 0, 0), t)


WHITE = (255, 255, 255)


# ----------------------------------------------------------------------------------------------
# Supersampled drawing surface. Coordinates are design units: `grid` units span the final width.

_LINEAR = Image.linear_gradient("L")  # 0 at the top, 255 at the bottom
_RADIAL = Image.radial_gradient("L")  # 0 in the centre, 255 at the rim


def ramp(stops):
    """A 256-entry lookup per channel from (position 0..1, colour) stops."""
    stops = sorted(stops)
    luts = ([], [], [])
    for v in range(256):
        t = v / 255
        c = stops[-1][1]
        if t <= stops[0][0]:
            c = stops[0][1]
        else:
            for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
                if p0 <= t <= p1:
                    c = mix(c0, c1, 0.0 if p1 == p0 else (t - p0) / (p1 - p0))
                    break
        for i in range(3):
            luts[i].append(c[i])
    return luts


def colorize(field, stops):
    luts = ramp(stops)
    return Image.merge("RGB", [field.point(luts[i]) for i in range(3)])


class Art:
    """An RGBA picture drawn at SS times its final size; shapes are built as masks, then painted."""

    def __init__(self, w, h, grid=None):
        self.w, self.h = w, h
        self.s = SS * (w / grid if grid else 1.0)
        self.size = (w * SS, h * SS)
        self.img = Image.new("RGBA", self.size, (0, 0, 0, 0))

    # --- masks -------------------------------------------------------------------------------
    def blank(self):
        return Image.new("L", self.size, 0)

    def pts(self, points):
        return [(x * self.s, y * self.s) for x, y in points]

    def ellipse(self, x0, y0, x1, y1):
        m = self.blank()
        s = self.s
        ImageDraw.Draw(m).ellipse([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], fill=255)
        return m

    def circle(self, cx, cy, r):
        return self.ellipse(cx - r, cy - r, cx + r, cy + r)

    def rect(self, x0, y0, x1, y1, r=0.0):
        m = self.blank()
        s = self.s
        box = [x0 * s, y0 * s, x1 * s - 1, y1 * s - 1]
        if r > 0:
            ImageDraw.Draw(m).rounded_rectangle(box, radius=r * s, fill=255)
        else:
            ImageDraw.Draw(m).rectangle(box, fill=255)
        return m

    def poly(self, points):
        m = self.blank()
        ImageDraw.Draw(m).polygon(self.pts(points), fill=255)
        return m

    def stroke(self, points, width, caps=True):
        m = self.blank()
        d = ImageDraw.Draw(m)
        p = self.pts(points)
        w = max(1, round(width * self.s))
        d.line(p, fill=255, width=w, joint="curve")
        if caps:
            r = w / 2
            for x, y in (p[0], p[-1]):
                d.ellipse([x - r, y - r, x + r - 1, y + r - 1], fill=255)
        return m

    def arc(self, cx, cy, rx, ry, a0, a1, width, caps=True):
        return self.stroke(arc_points(cx, cy, rx, ry, a0, a1), width, caps)

    # --- painting ----------------------------------------------------------------------------
    def over(self, fill, mask, opacity=1.0):
        """Composites a colour or an RGB image through a mask."""
        src = Image.new("RGB", self.size, fill) if isinstance(fill, tuple) else fill
        src = src.convert("RGBA")
        alpha = mask if opacity >= 1.0 else mask.point(lambda v: round(v * opacity))
        src.putalpha(alpha)
        self.img = Image.alpha_composite(self.img, src)

    def erase(self, mask):
        a = self.img.getchannel("A")
        self.img.putalpha(ImageChops.subtract(a, mask))

    def field(self, mask, kind="diag", center=None, radius=None):
        """A 0..255 parameter field over the mask's bounding box (0 where the light falls)."""
        box = mask.getbbox() or (0, 0, 1, 1)
        w, h = max(1, box[2] - box[0]), max(1, box[3] - box[1])
        out = Image.new("L", self.size, 255)
        if kind == "diag":
            v = _LINEAR.resize((w, h), Image.BILINEAR)
            hz = _LINEAR.transpose(Image.Transpose.ROTATE_90).resize((w, h), Image.BILINEAR)
            hz = hz.transpose(Image.Transpose.FLIP_LEFT_RIGHT)
            out.paste(ImageChops.add(v, hz, scale=2.0), box[:2])
        elif kind == "vert":
            out.paste(_LINEAR.resize((w, h), Image.BILINEAR), box[:2])
        elif kind == "radial":
            if center is None:
                center = (box[0] + w * 0.36, box[1] + h * 0.32)
            else:
                center = (center[0] * self.s, center[1] * self.s)
            r = radius * self.s if radius else max(w, h) * 0.85
            g = _RADIAL.resize((max(1, round(2 * r)), max(1, round(2 * r))), Image.BILINEAR)
            out.paste(g, (round(center[0] - r), round(center[1] - r)))
        return out

    def paint(self, mask, fill, outline=None, kind="diag", stops=None, center=None, radius=None,
              width=1.0, opacity=1.0):
        """Fills a shape with a lit gradient of `fill`, inside a crisp outline of `width` pixels."""
        if outline is not None:
            self.over(outline, dilate(mask, round(width * SS)), opacity)
        if stops is None:
            stops = [(0.0, light(fill, 0.38)), (0.55, fill), (1.0, dark(fill, 0.12))]
        if kind == "flat":
            self.over(fill, mask, opacity)
        else:
            self.over(colorize(self.field(mask, kind, center, radius), stops), mask, opacity)

    def gloss(self, mask, strength=0.55, top=0.0, bottom=0.55):
        """A soft highlight over the upper part of a shape, fading downwards."""
        box = mask.getbbox()
        if not box:
            return
        h = box[3] - box[1]
        fade = Image.new("L", self.size, 0)
        y0 = box[1] + round(h * top)
        y1 = box[1] + max(1, round(h * bottom))
        g = _LINEAR.resize((box[2] - box[0], y1 - y0), Image.BILINEAR).point(
            lambda v: round((255 - v) * strength))
        fade.paste(g, (box[0], y0))
        self.over(WHITE, ImageChops.multiply(fade, erode(mask, SS)))

    # --- output ------------------------------------------------------------------------------
    def reduced(self):
        return self.img.resize((self.w, self.h), Image.BOX)

    def finish(self, matte):
        return flatten(self.reduced(), matte)


def arc_points(cx, cy, rx, ry, a0, a1, n=None):
    if n is None:
        n = max(6, int(abs(a1 - a0) / 6))
    return [(cx + rx * math.cos(math.radians(a0 + (a1 - a0) * i / n)),
             cy + ry * math.sin(math.radians(a0 + (a1 - a0) * i / n))) for i in range(n + 1)]


def ellipse_points(cx, cy, rx, ry, angle, n=40):
    ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    out = []
    for i in range(n):
        t = 2 * math.pi * i / n
        x, y = rx * math.cos(t), ry * math.sin(t)
        out.append((cx + x * ca - y * sa, cy + x * sa + y * ca))
    return out


def rotate_points(points, cx, cy, angle):
    ca, sa = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    return [(cx + (x - cx) * ca - (y - cy) * sa, cy + (x - cx) * sa + (y - cy) * ca) for x, y in points]


_DISKS = {}


def dilate(mask, r):
    if r <= 0:
        return mask
    if r not in _DISKS:
        _DISKS[r] = [(dx, dy) for dx in range(-r, r + 1) for dy in range(-r, r + 1)
                     if dx * dx + dy * dy <= r * r + r * 0.6]
    out = mask.copy()
    for dx, dy in _DISKS[r]:
        if dx == 0 and dy == 0:
            continue
        shifted = Image.new("L", mask.size, 0)
        shifted.paste(mask, (dx, dy))
        out = ImageChops.lighter(out, shifted)
    return out


def erode(mask, r):
    return ImageChops.invert(dilate(ImageChops.invert(mask), r))


def union(*masks):
    out = masks[0]
    for m in masks[1:]:
        out = ImageChops.lighter(out, m)
    return out


def minus(a, b):
    return ImageChops.subtract(a, b)


def inter(a, b):
    return ImageChops.multiply(a, b)


def flatten(rgba, matte):
    """Colour-keyed RGB: weak coverage becomes the key, the rest is blended with the matte."""
    out = Image.new("RGB", rgba.size, KEY)
    src = rgba.load()
    dst = out.load()
    for y in range(rgba.size[1]):
        for x in range(rgba.size[0]):
            r, g, b, a = src[x, y]
            if a < ALPHA_CUT:
                continue
            t = a / 255
            c = tuple(round(cv * t + mv * (1 - t)) for cv, mv in zip((r, g, b), matte))
            if c == KEY:
                c = (254, 0, 254)
            dst[x, y] = c
    if dst[0, 0] != KEY:
        raise ValueError("the top-left pixel of a colour-keyed image must be transparent")
    return out
