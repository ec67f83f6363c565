"""The two smiley sets: drawing their frames and writing their set documents."""

from xml.sax.saxutils import quoteattr

from .draw import Art
from .files import xml_text
from .smiley_face import BRIGHT, SMILE_MATTE, SMILE_SIZE, WARM
from .smilies_default import DEFAULT_SMILIES
from .smilies_msn import MSN_SMILIES


def smiley_frames(st, make):
    frames, delays = [], []
    for draw, delay in make(st):
        a = Art(SMILE_SIZE, SMILE_SIZE, SMILE_SIZE)
        draw(a)
        frames.append(a.finish(SMILE_MATTE))
        delays.append(delay)
    return frames, delays


def smiley_document(desc, smilies):
    body = "  <desc>%s</desc>\n" % xml_text(desc)
    forms = [t for _, _, texts, _ in smilies for t in texts]
    for t in forms:
        if forms.count(t) > 1:
            raise ValueError("text form %r used twice" % t)
        # Matching never falls back to a shorter form, so a form inside a longer one would be lost.
        if any(o != t and o.startswith(t) for o in forms):
            raise ValueError("text form %r begins another form" % t)
    for file, text_desc, texts, _ in smilies:
        body += "  <smile file=%s desc=%s>%s</smile>\n" % (
            quoteattr(file), quoteattr(text_desc), "".join("<text>%s</text>" % xml_text(t) for t in texts))
    return body


SMILEY_SETS = [("Default", "Default.Smilies.xml", "Default Smilies", DEFAULT_SMILIES, WARM),
               ("MSN", "MSN.Smilies.xml", "MSN Smilies", MSN_SMILIES, BRIGHT)]
