"""Where each button sits and how big the pictures are.

With the author's pictures the sizes are theirs (one face is half a button
bitmap's height); without, the kit lays the menu out for any number of
buttons: a heading band, the install buttons stacked full width, the exit
button at the bottom right.
"""
from .sources import picture_size

MENU_WIDTH = 488
HEADING = 41
INSTALL_FACE_HEIGHT = 46
GAP = 6
EXIT_FACE = (95, 32)
MARGIN = 21


def drawn_layout(disc):
    installs = [b for b in disc.buttons if b.kind == "install"]
    y = HEADING
    sizes = {}
    for button in installs:
        if button.x is None:
            button.x, button.y = MARGIN, y
        sizes[button.number] = (MENU_WIDTH - 2 * MARGIN, INSTALL_FACE_HEIGHT)
        y += INSTALL_FACE_HEIGHT + GAP
    height = max(y + EXIT_FACE[1] + 24, 160)
    exit_button = disc.buttons[0] if disc.buttons else None
    if exit_button is not None:
        if exit_button.x is None:
            exit_button.x = MENU_WIDTH - EXIT_FACE[0] - 11
            exit_button.y = height - EXIT_FACE[1] - 10 - 14
        sizes[exit_button.number] = EXIT_FACE
    return (MENU_WIDTH, height), sizes


def image_size(path):
    """The picture's size from its header; OSError when it is none."""
    try:
        return picture_size(path)
    except ValueError as error:
        raise OSError(str(error)) from None


def plan(disc, problems):
    """Fills disc.menu_size, disc.button_sizes and the buttons' positions;
    checks the author's pictures against the button record."""
    authored = [lang for lang in disc.languages if lang.background is not None]
    if not authored:
        disc.menu_size, disc.button_sizes = drawn_layout(disc)
        return
    for lang in disc.languages:
        if lang.background is None:
            problems.add(f"language[{disc.languages.index(lang) + 1}].background",
                         "every language needs its own background picture once one language has one")
    sizes = {}
    for lang in authored:
        if not lang.background.is_file():
            continue
        try:
            size = image_size(lang.background)
        except OSError as error:
            problems.add(f"language[{disc.languages.index(lang) + 1}].background", f"not a picture: {error}")
            continue
        sizes[lang.key] = size
    if len(set(sizes.values())) > 1:
        problems.add("language", "the background pictures differ in size: "
                     + ", ".join(f"{k} {w} x {h}" for k, (w, h) in sizes.items()))
    disc.menu_size = next(iter(sizes.values()), (MENU_WIDTH, 242))
    mw, mh = disc.menu_size
    for button in disc.buttons:
        key = f"button[{button.number}]"
        if button.x is None:
            problems.add(key, "with your own pictures, give the button's x and y on the background")
            continue
        faces = {}
        for lang in authored:
            path = button.pictures.get(lang.key)
            if path is None:
                problems.add(f"{key}.picture.{lang.key}", "missing: give the button's picture (normal face above pressed face)")
                continue
            if not path.is_file():
                continue
            try:
                w, h = image_size(path)
            except OSError as error:
                problems.add(f"{key}.picture.{lang.key}", f"not a picture: {error}")
                continue
            faces[lang.key] = (w, h // 2)
            if h % 2:
                problems.add(f"{key}.picture.{lang.key}",
                             f"{w} x {h}: the height must be even, two faces of equal height")
            if button.x + w > mw or button.y + h // 2 > mh or button.x < 0 or button.y < 0:
                problems.add(f"{key}.picture.{lang.key}",
                             f"a {w} x {h // 2} face at {button.x}, {button.y} does not fit the "
                             f"{mw} x {mh} background; move the button or resize the picture")
        if len(set(faces.values())) > 1:
            problems.add(f"{key}.picture", "the pictures differ in size between languages: "
                         + ", ".join(f"{k} {w} x {2 * h}" for k, (w, h) in faces.items()))
        if faces:
            disc.button_sizes[button.number] = next(iter(faces.values()))
