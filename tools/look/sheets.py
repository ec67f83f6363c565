"""Contact sheets for review: every image enlarged, and mock-ups of the main window and download list."""

from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFont

from .icons import ICQ_ICONS, MSN_ICONS
from .skins import PALETTE, TOOLBAR_DIGITS

FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")


def font(size, bold=False):
    return ImageFont.truetype(str(FONT_DIR / ("DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf")), size)


def key_mask(img):
    """Where a colour-keyed image is drawn: every pixel but those of its top-left pixel's colour."""
    r, g, b = ImageChops.difference(img, Image.new("RGB", img.size, img.getpixel((0, 0)))).split()
    return Image.eval(ImageChops.lighter(ImageChops.lighter(r, g), b), lambda v: 255 if v else 0)


def keyed_on(img, bg):
    out = Image.new("RGB", img.size, bg)
    out.paste(img, (0, 0), key_mask(img))
    return out


def blit(dst, img, xy):
    dst.paste(img, xy, key_mask(img))


class Sheet:
    def __init__(self, title, width=1500):
        self.width = width
        self.canvas = []
        self.add_text(title, 20, True)

    def add_text(self, text, size=14, bold=False):
        f = font(size, bold)
        img = Image.new("RGB", (self.width, size + 10), (250, 250, 250))
        ImageDraw.Draw(img).text((10, 2), text, fill=(20, 20, 20), font=f)
        self.canvas.append(img)

    def add_grid(self, entries, bg, scale=3):
        """entries: (label, [frames], note). Each frame is shown keyed on bg and raw, at scale."""
        f = font(11)
        x, y, row_h = 10, 0, 0
        placed = []
        for label, frames, note in entries:
            fw, fh = frames[0].size
            w = round(max(len(frames) * (fw * scale + 4), f.getlength(label) + 4, f.getlength(note or "") + 4, 60))
            h = fh * scale * 2 + 6 + 30
            if x + w > self.width - 10:
                x, y = 10, y + row_h + 10
                row_h = 0
            placed.append((x, y, label, frames, note))
            x += w + 14
            row_h = max(row_h, h)
        img = Image.new("RGB", (self.width, y + row_h + 10), (250, 250, 250))
        d = ImageDraw.Draw(img)
        for x, y, label, frames, note in placed:
            fw, fh = frames[0].size
            for i, fr in enumerate(frames):
                big = keyed_on(fr, bg).resize((fw * scale, fh * scale), Image.NEAREST)
                img.paste(big, (x + i * (fw * scale + 4), y))
                img.paste(fr.resize((fw * scale, fh * scale), Image.NEAREST), (x + i * (fw * scale + 4),
                                                                               y + fh * scale + 4))
            d.text((x, y + fh * scale * 2 + 8), label, fill=(20, 20, 20), font=f)
            if note:
                d.text((x, y + fh * scale * 2 + 20), note, fill=(90, 90, 90), font=f)
        self.canvas.append(img)

    def add_image(self, img):
        self.canvas.append(img)

    def save(self, path):
        h = sum(c.height for c in self.canvas) + 20
        out = Image.new("RGB", (self.width, h), (250, 250, 250))
        y = 10
        for c in self.canvas:
            out.paste(c, (0, y))
            y += c.height
        out.save(path)


def mock_main_window(skin, images, icons):
    """The main window as the skin paints it: contact rows, the status pane and the toolbar."""
    p = PALETTE
    w = skin.screen[0]
    rows = [("Alice", "online", ["chat", "message"]), ("bob@example.com", "msn_away", ["typing"]),
            ("Carol", "dnd", []), ("Chat (3)", "msn_multi", []), ("Dave", "free4chat", ["message"]),
            ("erin@example.com", "msn_otp", []), ("Frank", "na", []), ("Grace", "offline", ["auth"]),
            ("heidi@example.com", "msn_offline", [])]
    list_h = len(rows) * skin.row + 6
    h = list_h + skin.status_height + skin.toolbar_height
    img = images["main_bg.png"][1].crop((0, 0, w, h)).copy()
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, w - 1, list_h - 1], fill=p["list"])
    mark = images["list_bg.png"][1]
    img.paste(mark, (w - mark.width, list_h - mark.height))
    f = font(skin.list_font)
    for i, (name, icon, marks) in enumerate(rows):
        top = i * skin.row
        if i == 1:
            d.rectangle([0, top, w - 1, top + skin.row - 1], fill=p["sel"], outline=p["selborder"])
        ic = icons[icon + ".png"][1]
        blit(img, ic, (1, top + (skin.row - ic.height) // 2))
        color = p["offline"] if "offline" in icon else p["online"]
        asc, desc = f.getmetrics()
        d.text((1 + ic.width + 2, top + (skin.row - asc - desc) // 2), name, fill=color, font=f)
        x = w - 2
        for slot, m in (("chat", "chat.png"), ("message", "message.png"), ("typing", "typing.png"),
                        ("auth", "auth.png")):
            if slot in marks:
                im = images[m][1]
                x -= im.width
                blit(img, im, (x, top + (skin.row - im.height) // 2))
                x -= 2
    sf = font(skin.status_font)
    st_top = list_h
    for text, cx in (("ICQ Online", w // 4), ("MSN Away", 3 * w // 4)):
        tw = d.textlength(text, font=sf)
        d.text((cx - tw / 2, st_top + 1), text, fill=p["status"], font=sf)
    tb_top = list_h + skin.status_height
    d.rectangle([0, tb_top, w - 1, h - 1], fill=p["toolbar"])
    actions = ["showoffline", "soundon", "vibroon", "chat", "info", "find", "settings", "scrollingon", "qsearch",
               "quit"]
    for i, (digit, action) in enumerate(zip(TOOLBAR_DIGITS, actions)):
        x = 2 + i * skin.toolbar_size
        if i == 3:
            d.rectangle([x, tb_top, x + skin.toolbar_size - 1, h - 1], fill=p["toolbar_sel"])
        blit(img, images["tb_" + action + ".png"][1], (x, tb_top + 1))
        blit(img, images["tb_" + digit + ".png"][1], (x, tb_top + 1))
    return img


def mock_toolbar_states(skin, images):
    p = PALETTE
    names = ["hideoffline", "soundoff", "vibrooff", "scrollingoff", "account"]
    w = 2 + len(names) * skin.toolbar_size + 2
    img = Image.new("RGB", (w, skin.toolbar_height), p["toolbar"])
    for i, n in enumerate(names):
        blit(img, images["tb_" + n + ".png"][1], (2 + i * skin.toolbar_size, 1))
    return img


def mock_downloads(skin, images):
    p = PALETTE
    w = skin.screen[0]
    rows = [("photo.jpg", "12345 / 40960 bytes", 0.3, "download_start.png"),
            ("song.mp3", "Can't write file", 0.0, "download_pause.png"),
            ("clip.3gp", "88120 bytes", 1.0, "download_folder.png"),
            ("notes.txt", "Unknown", 0.0, "download_delete.png")]
    img = Image.new("RGB", (w, skin.dl_row * len(rows)), p["dl_bg"])
    d = ImageDraw.Draw(img)
    f = font(skin.dl_font)
    for i, (name, line2, frac, icon) in enumerate(rows):
        top = i * skin.dl_row
        if frac:
            d.rectangle([0, top, int(w * frac) - 1, top + skin.dl_row - 1], fill=p["dl_progress"])
        if i == 0:
            d.rectangle([0, top, w - 1, top + skin.dl_row - 1], outline=p["selborder"])
        im = images[icon][1]
        blit(img, im, (3, top + (skin.dl_row - im.height) // 2))
        d.text((6 + im.width, top + 2), name, fill=p["dl_text"], font=f)
        d.text((6 + im.width, top + 2 + skin.dl_row // 2), line2, fill=p["dl_text"], font=f)
    return img


def side_by_side(img, scale=3, gap=16):
    big = img.resize((img.width * scale, img.height * scale), Image.NEAREST)
    out = Image.new("RGB", (img.width + gap + big.width + 20, big.height + 20), (250, 250, 250))
    out.paste(img, (10, 10))
    out.paste(big, (10 + img.width + gap, 10))
    return out


def icon_sheet(icons, path):
    sheet = Sheet("Icons/Default: presence icons (16x16) at 3x, on the list background and raw")
    sheet.add_grid([(n + ".png", [icons[n + ".png"][1]], label) for n, label, _, _ in ICQ_ICONS], PALETTE["list"])
    sheet.add_grid([(n + ".png", [icons[n + ".png"][1]], label) for n, label, _, _ in MSN_ICONS]
                   + [("msn_multi.png", [icons["msn_multi.png"][1]], "Conversation")], PALETTE["list"])
    sheet.add_text("The same on the selected row colour")
    sheet.add_grid([(n, [img], "") for n, (_, img) in icons.items()], PALETTE["sel"])
    sheet.save(path)


def skin_sheet(skin, images, icons, path):
    sheet = Sheet("Skin/%s: %s" % (skin.folder, skin.desc))
    sheet.add_text("Main window mock-up at 1x and 3x (row %d px, font %d px, toolbar %d px)"
                   % (skin.row, skin.list_font, skin.toolbar_size))
    sheet.add_image(side_by_side(mock_main_window(skin, images, icons)))
    sheet.add_text("Toolbar images in their other states, and the download list")
    sheet.add_image(side_by_side(mock_toolbar_states(skin, images)))
    sheet.add_image(side_by_side(mock_downloads(skin, images)))
    keyed = [(n, [img], "") for n, (k, img) in images.items() if k == "key"]
    sheet.add_text("Every colour-keyed image at 3x: on its background (top) and raw (bottom)")
    sheet.add_grid([e for e in keyed if not e[0].startswith("tb_")], PALETTE["list"])
    sheet.add_grid([e for e in keyed if e[0].startswith("tb_")], PALETTE["toolbar"])
    sheet.add_text("Background images at 1x")
    bgs = [img for n, (k, img) in images.items() if k == "opaque"]
    row = Image.new("RGB", (sum(b.width + 10 for b in bgs) + 10, max(b.height for b in bgs) + 20), (250, 250, 250))
    x = 10
    for b in bgs:
        row.paste(b, (x, 10))
        x += b.width + 10
    sheet.add_image(row)
    sheet.save(path)


def smiley_sheet(folder_name, desc, drawn, path):
    """drawn: (file, description, text forms, frames, delays) for every smiley of the set."""
    entries = [(file, frames, "%s  %s  (%s ms)" % (text_desc, " ".join(texts), "/".join(str(d) for d in delays)))
               for file, text_desc, texts, frames, delays in drawn]
    sheet = Sheet("Smilies/%s: %s, every frame at 3x on the chat background (top) and raw (bottom)"
                  % (folder_name, desc), 1600)
    sheet.add_grid(entries, PALETTE["chat"])
    sheet.save(path)
