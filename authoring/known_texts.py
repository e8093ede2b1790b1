"""The message dialogs and push-button captions that the kit already knows,
by Windows primary language id: a disc in one of these languages need not
repeat them. Geometry is in dialog units: size, OK position, Cancel position
(None when the dialog has none) and the text's box."""

MESSAGE_KEYS = ("nt_required", "old_windows", "launch_failed", "copy_failed")

KNOWN = {
    9: {
        "caption": "Setup",
        "ok": "OK",
        "cancel": "Cancel",
        "messages": {
            "nt_required": ("This installation requires Windows NT 4.0 or later.\n"
                            "Update your system software."),
            "old_windows": ("This installation requires Windows 95 (4.00.950a) or later.\n"
                            "Continuing with the installation may cause the application to "
                            "run incorrectly.\nContinue installation?"),
            "launch_failed": "Could not start up the Custom installer.",
            "copy_failed": "An error occurred while copying the files. Installation failed.",
        },
        "geometry": {
            "nt_required": ((187, 93), (130, 72), None, (15, 15, 155, 39)),
            "old_windows": ((220, 93), (96, 72), (163, 72), (15, 15, 191, 52)),
            "launch_failed": ((187, 93), (130, 72), None, (15, 15, 161, 39)),
            "copy_failed": ((187, 93), (130, 68), None, (7, 7, 162, 46)),
        },
    },
    12: {
        "caption": "Installation",
        "ok": "OK",
        "cancel": "Annuler",
        "messages": {
            "nt_required": ("Cette installation ne peut s'effectuer que sous Windows NT 4.0 "
                            "ou une version ultérieure.\nIl est nécessaire de mettre votre "
                            "système d'exploitation à jour."),
            "old_windows": ("Cette installation ne peut s'effectuer que sous Windows 95 "
                            "(4.00.950a) ou une version ultérieure.\nLe fait de continuer "
                            "cette installation peut provoquer une mauvaise exécution de "
                            "l'application.\nContinuer l'installation ?"),
            # Both end without their last letter, as they always have on this disc.
            "launch_failed": "Impossible de démarrer l'assistant d'installation personnalis",
            "copy_failed": ("Une erreur s'est produite durant la copie des fichers. "
                            "L'installation a échou"),
        },
        "geometry": {
            "nt_required": ((187, 93), (130, 72), None, (15, 15, 165, 50)),
            "old_windows": ((220, 93), (99, 72), (163, 72), (15, 15, 191, 53)),
            "launch_failed": ((187, 93), (130, 72), None, (15, 15, 165, 39)),
            "copy_failed": ((187, 93), (130, 68), None, (7, 7, 162, 46)),
        },
    },
    7: {
        "caption": "Setup",
        "ok": "OK",
        "cancel": "Abbrechen",
        "messages": {
            "nt_required": ("Diese Installierung erfordert Windows NT 4.0 oder höher.\n"
                            "Neuere System-Software installieren."),
            "old_windows": ("Diese Installierung erfordert Windows 95 (4.00.950a) oder höher.\n"
                            "Fortsetzen des Installierungsvorgangs kann zu falscher "
                            "Ausführung der Anwendung führen.\nInstallierung fortsetzen?"),
            "launch_failed": ("Das Installationsprogramm für Benutzerdefinierte Installation "
                              "konnte nicht gestartet werden."),
            "copy_failed": ("Beim Kopieren der Dateien ist ein Fehler aufgetreten. "
                            "Installation ist fehlgeschlagen."),
        },
        "geometry": {
            "nt_required": ((187, 93), (130, 72), None, (15, 15, 159, 48)),
            "old_windows": ((220, 93), (100, 72), (163, 72), (15, 15, 191, 51)),
            "launch_failed": ((187, 93), (130, 72), None, (15, 15, 167, 39)),
            "copy_failed": ((187, 93), (130, 68), None, (7, 7, 162, 46)),
        },
    },
}
