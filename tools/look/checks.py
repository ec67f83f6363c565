"""Checks on what was written, read back as the program reads it."""

from PIL import Image

from .draw import KEY
from .gif import gif_palette


MAX_FILE = 10 * 1024


def check_png(path, keyed, size=None):
    img = Image.open(path)
    assert img.mode == "RGB", (path, img.mode)
    if size:
        assert img.size == size, (path, img.size)
    if keyed:
        assert img.getpixel((0, 0)) == KEY, path
    assert path.stat().st_size < MAX_FILE, path


def check_gif(path, frames, delays):
    img = Image.open(path)
    assert img.info.get("loop") == 0, path
    assert 2 <= img.n_frames <= 8 and img.n_frames == len(frames), (path, img.n_frames)
    for i in range(img.n_frames):
        img.seek(i)
        decoded = img.convert("RGB")
        assert decoded.getpixel((0, 0)) == KEY, (path, i)
        assert img.info["duration"] == delays[i], (path, i)
        exact = list(decoded.getdata()) == list(frames[i].getdata())
        if not exact:  # only a reduced palette may change colours, never the key
            keyed = [c == KEY for c in decoded.getdata()] == [c == KEY for c in frames[i].getdata()]
            assert keyed and len(gif_palette(frames)) == 256, (path, i)
    assert path.stat().st_size < MAX_FILE, path


def check_set(folder, xml_name, root):
    import xml.etree.ElementTree as ET
    tree = ET.parse(folder / xml_name)
    assert tree.getroot().tag == root
    names = [e.text for e in tree.iter() if e.tag not in ("desc", "size", "text") and e.text
             and e.text.endswith((".png", ".gif"))]
    names += [e.get("file") for e in tree.iter("smile")]
    for n in names:
        assert (folder / n).is_file(), (folder, n)
        assert n == n.lower() and " " not in n and "/" not in n, n
    return len(names)
