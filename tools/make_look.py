#!/usr/bin/python3
"""Draws the shipped look of the messenger and writes it under data/.

data/Skin/Default (176x220 screens) and data/Skin/QVGA (240x320): the skin file, the contact
list indicators, the toolbar images, the download list buttons and the background images.
data/Icons/Default: the presence icons of both services.
data/Smilies/Default and data/Smilies/MSN: the animated smileys and their set files.

Every image is drawn at four times its size and reduced, then flattened against the colour it
will sit on. Icons, indicators, toolbar images and smileys are colour-keyed: magenta fills the
transparent part, starting with the top-left pixel, and no visible pixel is exactly magenta.
The output is the same, byte for byte, on every run.

Contact sheets for review (every image at three times its size, every smiley frame, and
mock-ups of the main window and the download list on each skin) go to /tmp/look, outside the
repository, or to the folder given with --sheets DIR. An optional last argument writes the data
into another folder instead of the repository's data/.
"""

import sys
from pathlib import Path

# The parts live in look/ beside this script, whichever folder it is run from.
sys.path.insert(0, str(Path(__file__).resolve().parent))

from look.checks import check_gif, check_png, check_set
from look.files import clean, elements, write_png, write_xml
from look.gif import write_gif
from look.icons import ICON_SIZE, icon_document, icon_images
from look.sheets import icon_sheet, skin_sheet, smiley_sheet
from look.skins import SKINS, skin_document, skin_images
from look.smilies import SMILEY_SETS, smiley_document, smiley_frames


def main():
    args = sys.argv[1:]
    sheets = Path("/tmp/look")
    if args[:1] == ["--sheets"]:
        sheets = Path(args[1]) if len(args) > 1 else sheets
        args = args[2:]
    data = Path(args[0]) if args else Path(__file__).resolve().parent.parent / "data"
    sheets.mkdir(parents=True, exist_ok=True)
    total = 0

    icon_folder = data / "Icons" / "Default"
    icon_folder.mkdir(parents=True, exist_ok=True)
    icons = icon_images()
    clean(icon_folder, icons)
    for name, (_, img) in icons.items():
        write_png(icon_folder / name, img)
        check_png(icon_folder / name, True, (ICON_SIZE, ICON_SIZE))
    write_xml(icon_folder / "Default.Icons.xml", "icons", elements(icon_document()))
    check_set(icon_folder, "Default.Icons.xml", "icons")
    total += sum(f.stat().st_size for f in icon_folder.iterdir())
    icon_sheet(icons, sheets / "contact_sheet_icons.png")

    for skin in SKINS:
        folder = data / "Skin" / skin.folder
        folder.mkdir(parents=True, exist_ok=True)
        images = skin_images(skin)
        clean(folder, images)
        for name, (kind, img) in images.items():
            write_png(folder / name, img)
            check_png(folder / name, kind == "key")
        xml_name = skin.folder + ".Skin.xml"
        write_xml(folder / xml_name, "skin", elements(skin_document(skin)))
        check_set(folder, xml_name, "skin")
        total += sum(f.stat().st_size for f in folder.iterdir())
        skin_sheet(skin, images, icons, sheets / ("contact_sheet_skin_%s.png" % skin.folder.lower()))

    for folder_name, xml_name, desc, smilies, style in SMILEY_SETS:
        folder = data / "Smilies" / folder_name
        folder.mkdir(parents=True, exist_ok=True)
        clean(folder, {s[0] for s in smilies})
        drawn = []
        for file, text_desc, texts, make in smilies:
            frames, delays = smiley_frames(style, make)
            write_gif(folder / file, frames, delays)
            check_gif(folder / file, frames, delays)
            drawn.append((file, text_desc, texts, frames, delays))
        write_xml(folder / xml_name, "smilies", smiley_document(desc, smilies))
        check_set(folder, xml_name, "smilies")
        total += sum(f.stat().st_size for f in folder.iterdir())
        smiley_sheet(folder_name, desc, drawn, sheets / ("contact_sheet_smilies_%s.png" % folder_name.lower()))

    print("wrote %d bytes of skins, icons and smileys; contact sheets in %s" % (total, sheets))


if __name__ == "__main__":
    main()
