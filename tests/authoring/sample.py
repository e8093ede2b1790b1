"""A small valid two-language disc (English and a Spanish set the kit does not
know) written into a temporary folder; tests change its text to make it wrong."""
import tempfile
from pathlib import Path

MANIFEST = r'''
[disc]
volume_id = "SAMPLE_DISC"
files = "files"

[product]
name = "Sample"
version = "1.2"
company = "Sample Works"
copyright = "Copyright 2026 Sample Works"

[[language]]
key = "en"
primary_id = 9

[[language]]
key = "es"
name = "Spanish"
primary_id = 10
caption = "Instalación"
ok = "Aceptar"
cancel = "Cancelar"

[language.messages]
nt_required = "Esta instalación requiere Windows NT 4.0 o posterior."
old_windows = "Esta instalación requiere Windows 95 (4.00.950a) o posterior.\n¿Continuar?"
launch_failed = "No se pudo iniciar el instalador."
copy_failed = "Se produjo un error al copiar los archivos."

[[component]]
id = "app"
folder = { en = "app\\english", es = "app\\espanol" }
title = { en = "App Setup", es = "Instalación de App" }

[[button]]
kind = "exit"
label = { en = "Exit", es = "Salir" }

[[button]]
label = { en = "Install App", es = "Instalar App" }
confirmation = { en = "Installing App.", es = "Instalando App." }
steps = [ { component = "app" }, { copy = "manuals", to = "App\\Manuals" } ]
'''


class SampleDisc:
    def __init__(self, text=MANIFEST):
        self.folder = tempfile.TemporaryDirectory()
        self.root = Path(self.folder.name) / "sample"
        (self.root / "files" / "manuals").mkdir(parents=True)
        (self.root / "files" / "manuals" / "guide.txt").write_text("guide\r\n")
        self.manifest = self.root / "disc.toml"
        self.manifest.write_text(text, encoding="utf-8")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.folder.cleanup()
