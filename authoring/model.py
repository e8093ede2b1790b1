"""A disc as plain data, defaults filled and ids assigned: what the reader
returns and every writer takes. Paths are absolute Linux paths; disc paths
use backslashes, as the launcher's command strings do."""
from dataclasses import dataclass, field
from pathlib import Path
from typing import Optional


@dataclass
class Geometry:
    """A message or confirmation dialog's layout in dialog units."""
    size: tuple
    ok: tuple
    cancel: Optional[tuple]
    text: tuple


@dataclass
class Message:
    text: str
    geometry: Geometry
    no_prefix: bool = False      # SS_NOPREFIX on its static: an '&' shows as written


@dataclass
class Language:
    key: str
    name: str
    primary_id: int
    sublanguage_id: int
    code_page: int
    default: bool
    locale: str
    dialog_base: int
    script_base: int
    caption: str
    ok: str
    cancel: str
    copyright: str
    messages: dict               # nt_required, old_windows, launch_failed, copy_failed -> Message
    menu_dialog: tuple           # menu template size in dialog units
    background: Optional[Path]   # author's picture, or None: drawn by the kit
    title: str                   # drawn pictures: the menu's heading
    footer: str
    string_base: Optional[int] = None   # first command string id (commands.assign_string_bases)

    @property
    def language_id(self):
        return (self.sublanguage_id << 10) | self.primary_id


@dataclass
class Component:
    id: str
    folders: dict                # language key -> disc folder (backslashes)
    titles: dict                 # language key -> watched window title
    installers: dict             # language key -> folder holding the real setup.exe;
                                 # a language without one gets the stand-in
    installers_by_language: bool = False   # given as a text by language
    walkthrough: str = "fail"    # check-disc, when the installer cannot be driven to its end


@dataclass
class Step:
    kind: str                    # "component", "run" or "copy"
    component: str = ""
    program: str = ""            # disc path (run)
    window: str = ""
    source: str = ""             # disc path (copy)
    destination: str = ""        # as written in the command (Windows directory relative)


@dataclass
class Button:
    number: int
    kind: str                    # "exit" or "install"
    x: int
    y: int
    control_id: int
    labels: dict                 # language key -> text
    sublabels: dict
    confirmations: dict          # language key -> Message (install buttons)
    pictures: dict               # language key -> author's picture path
    steps: list = field(default_factory=list)
    emblem: Optional[Path] = None   # drawn pictures: the author's icon for this button


@dataclass
class Product:
    name: str
    version: tuple               # four numbers
    company: str
    copyright: str
    description: str


@dataclass
class Signing:
    certificate: Optional[Path]
    password_env: str
    timestamp_url: Optional[str]


@dataclass
class Disc:
    name: str
    manifest: Path
    root: Path                   # the manifest's folder
    volume_id: str
    product: Product
    languages: list
    components: list
    buttons: list
    files: Optional[Path]        # folder copied onto the disc as it is
    standin_template: Path
    icon: Path
    pictures_folder: Path        # where drawn pictures are kept
    signing: Signing
    button_sizes: dict = field(default_factory=dict)   # number -> (w, h) of one face
    menu_size: tuple = (488, 242)

    def component(self, component_id):
        return next(c for c in self.components if c.id == component_id)

    def language(self, key):
        return next(lang for lang in self.languages if lang.key == key)
