"""Writers for PNG images and the XML set documents, and removal of stale images."""

from xml.sax.saxutils import escape


def write_png(path, img):
    img.save(path, format="PNG", optimize=True)


def xml_text(value):
    return escape(str(value))


def write_xml(path, root, body):
    text = '<?xml version="1.0" encoding="utf-8"?>\n<%s>\n%s</%s>\n' % (root, body, root)
    path.write_bytes(text.encode("utf-8"))


def elements(items, indent=1):
    """(name, value-or-list) pairs as nested elements."""
    pad = "  " * indent
    out = ""
    for name, value in items:
        if isinstance(value, list):
            out += "%s<%s>\n%s%s</%s>\n" % (pad, name, elements(value, indent + 1), pad, name)
        else:
            out += "%s<%s>%s</%s>\n" % (pad, name, xml_text(value), name)
    return out


def clean(folder, keep):
    """Removes images an earlier run wrote that this one no longer does."""
    for old in sorted(folder.iterdir()):
        if old.suffix in (".png", ".gif") and old.name not in keep:
            old.unlink()
