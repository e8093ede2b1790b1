"""The texts of the message dialogs and push buttons that the kit knows, for
the languages Windows 95 and NT 4.0 shipped in: a disc in one of them need
not repeat them (each text can still be given in the manifest). Each
language also brings its ANSI code page and the Linux locale that makes Wine
use it. Geometry is in dialog units: size, OK position, Cancel position
(None when the dialog has none) and the text's box. English, French and
German keep the shipped resource set's layouts; the others are laid out to
fit (authoring/geometry.py), and a test measures every one of their texts
under Wine, in the language's own locale, against its control."""
from dataclasses import dataclass, field

MESSAGE_KEYS = ("nt_required", "old_windows", "launch_failed", "copy_failed")


@dataclass(frozen=True)
class BuiltIn:
    tag: str                  # the usual short key, as docs/manifest.md's table lists it
    name: str
    primary_id: int
    sublanguage_id: int
    code_page: int
    locale: str
    caption: str
    ok: str
    cancel: str
    messages: dict
    geometry: dict = field(default_factory=dict)    # empty: laid out to fit
    also: tuple = ()          # other sublanguages that write this language


# The shipped resource set's own texts and layouts, by primary language id.
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


def _shipped(tag, name, primary, locale):
    k = KNOWN[primary]
    return BuiltIn(tag, name, primary, 1, 1252, locale, k["caption"], k["ok"], k["cancel"],
                   k["messages"], k["geometry"])


def _texts(nt_required, old_windows, launch_failed, copy_failed):
    return {"nt_required": nt_required, "old_windows": old_windows,
            "launch_failed": launch_failed, "copy_failed": copy_failed}


# Where one primary language has several entries, the first is the one a
# manifest gets when it gives no sublanguage_id.
BUILT_IN = [
    _shipped("en", "English", 9, "en_US.UTF-8"),
    _shipped("fr", "French", 12, "fr_FR.UTF-8"),
    _shipped("de", "German", 7, "de_DE.UTF-8"),
    BuiltIn("es", "Spanish", 10, 1, 1252, "es_ES.UTF-8", "Instalación", "Aceptar", "Cancelar", _texts(
        "Esta instalación requiere Windows NT 4.0 o posterior.\n"
        "Actualice el software del sistema.",
        "Esta instalación requiere Windows 95 (4.00.950a) o posterior.\n"
        "Si continúa con la instalación, es posible que la aplicación no funcione "
        "correctamente.\n¿Desea continuar con la instalación?",
        "No se pudo iniciar el programa de instalación.",
        "Se produjo un error al copiar los archivos. La instalación no se completó.")),
    BuiltIn("it", "Italian", 16, 1, 1252, "it_IT.UTF-8", "Installazione", "OK", "Annulla", _texts(
        "Questa installazione richiede Windows NT 4.0 o versione successiva.\n"
        "Aggiornare il software di sistema.",
        "Questa installazione richiede Windows 95 (4.00.950a) o versione successiva.\n"
        "Se si continua, l'applicazione potrebbe non funzionare correttamente.\n"
        "Continuare l'installazione?",
        "Impossibile avviare il programma di installazione.",
        "Si è verificato un errore durante la copia dei file. Installazione non riuscita.")),
    BuiltIn("pt-br", "Portuguese (Brazil)", 22, 1, 1252, "pt_BR.UTF-8", "Instalação", "OK", "Cancelar", _texts(
        "Esta instalação requer o Windows NT 4.0 ou posterior.\n"
        "Atualize o software do sistema.",
        "Esta instalação requer o Windows 95 (4.00.950a) ou posterior.\n"
        "Se você continuar, o aplicativo poderá não funcionar corretamente.\n"
        "Deseja continuar a instalação?",
        "Não foi possível iniciar o programa de instalação.",
        "Ocorreu um erro ao copiar os arquivos. A instalação falhou.")),
    BuiltIn("pt", "Portuguese (Portugal)", 22, 2, 1252, "pt_PT.UTF-8", "Instalação", "OK", "Cancelar", _texts(
        "Esta instalação requer o Windows NT 4.0 ou posterior.\n"
        "Atualize o software do sistema.",
        "Esta instalação requer o Windows 95 (4.00.950a) ou posterior.\n"
        "Se continuar, a aplicação poderá não funcionar corretamente.\n"
        "Pretende continuar a instalação?",
        "Não foi possível iniciar o programa de instalação.",
        "Ocorreu um erro ao copiar os ficheiros. A instalação falhou.")),
    BuiltIn("nl", "Dutch", 19, 1, 1252, "nl_NL.UTF-8", "Installatie", "OK", "Annuleren", _texts(
        "Voor deze installatie is Windows NT 4.0 of hoger vereist.\n"
        "Werk de systeemsoftware bij.",
        "Voor deze installatie is Windows 95 (4.00.950a) of hoger vereist.\n"
        "Als u doorgaat, werkt de toepassing mogelijk niet goed.\n"
        "Doorgaan met de installatie?",
        "Het installatieprogramma kan niet worden gestart.",
        "Er is een fout opgetreden bij het kopiëren van de bestanden. "
        "De installatie is mislukt.")),
    BuiltIn("sv", "Swedish", 29, 1, 1252, "sv_SE.UTF-8", "Installation", "OK", "Avbryt", _texts(
        "Den här installationen kräver Windows NT 4.0 eller senare.\n"
        "Uppdatera systemprogramvaran.",
        "Den här installationen kräver Windows 95 (4.00.950a) eller senare.\n"
        "Om du fortsätter kanske programmet inte fungerar som det ska.\n"
        "Vill du fortsätta installationen?",
        "Det gick inte att starta installationsprogrammet.",
        "Ett fel uppstod när filerna kopierades. Installationen misslyckades.")),
    BuiltIn("da", "Danish", 6, 1, 1252, "da_DK.UTF-8", "Installation", "OK", "Annuller", _texts(
        "Denne installation kræver Windows NT 4.0 eller nyere.\n"
        "Opdater systemsoftwaren.",
        "Denne installation kræver Windows 95 (4.00.950a) eller nyere.\n"
        "Hvis du fortsætter, fungerer programmet muligvis ikke korrekt.\n"
        "Vil du fortsætte installationen?",
        "Installationsprogrammet kunne ikke startes.",
        "Der opstod en fejl under kopieringen af filerne. Installationen mislykkedes.")),
    BuiltIn("no", "Norwegian (Bokmål)", 20, 1, 1252, "nb_NO.UTF-8", "Installasjon", "OK", "Avbryt", _texts(
        "Denne installasjonen krever Windows NT 4.0 eller nyere.\n"
        "Oppdater systemprogramvaren.",
        "Denne installasjonen krever Windows 95 (4.00.950a) eller nyere.\n"
        "Hvis du fortsetter, kan det hende at programmet ikke fungerer som det skal.\n"
        "Vil du fortsette installasjonen?",
        "Kunne ikke starte installasjonsprogrammet.",
        "Det oppstod en feil under kopieringen av filene. Installasjonen mislyktes.")),
    BuiltIn("fi", "Finnish", 11, 1, 1252, "fi_FI.UTF-8", "Asennus", "OK", "Peruuta", _texts(
        "Tämä asennus edellyttää Windows NT 4.0:aa tai uudempaa versiota.\n"
        "Päivitä järjestelmäohjelmisto.",
        "Tämä asennus edellyttää Windows 95:tä (4.00.950a) tai uudempaa versiota.\n"
        "Jos jatkat asennusta, sovellus ei ehkä toimi oikein.\n"
        "Haluatko jatkaa asennusta?",
        "Asennusohjelman käynnistäminen epäonnistui.",
        "Tiedostojen kopioinnissa tapahtui virhe. Asennus epäonnistui.")),
    BuiltIn("pl", "Polish", 21, 1, 1250, "pl_PL.UTF-8", "Instalacja", "OK", "Anuluj", _texts(
        "Ta instalacja wymaga systemu Windows NT 4.0 lub nowszego.\n"
        "Zaktualizuj oprogramowanie systemowe.",
        "Ta instalacja wymaga systemu Windows 95 (4.00.950a) lub nowszego.\n"
        "Kontynuowanie instalacji może spowodować nieprawidłowe działanie aplikacji.\n"
        "Czy kontynuować instalację?",
        "Nie można uruchomić programu instalacyjnego.",
        "Podczas kopiowania plików wystąpił błąd. Instalacja nie powiodła się.")),
    BuiltIn("cs", "Czech", 5, 1, 1250, "cs_CZ.UTF-8", "Instalace", "OK", "Storno", _texts(
        "Tato instalace vyžaduje systém Windows NT 4.0 nebo novější.\n"
        "Aktualizujte systémový software.",
        "Tato instalace vyžaduje systém Windows 95 (4.00.950a) nebo novější.\n"
        "Budete-li v instalaci pokračovat, aplikace nemusí pracovat správně.\n"
        "Pokračovat v instalaci?",
        "Instalační program nelze spustit.",
        "Při kopírování souborů došlo k chybě. Instalace se nezdařila.")),
    BuiltIn("hu", "Hungarian", 14, 1, 1250, "hu_HU.UTF-8", "Telepítés", "OK", "Mégse", _texts(
        "A telepítéshez Windows NT 4.0 vagy újabb verzió szükséges.\n"
        "Frissítse a rendszerszoftvert.",
        "A telepítéshez Windows 95 (4.00.950a) vagy újabb verzió szükséges.\n"
        "Ha folytatja a telepítést, előfordulhat, hogy az alkalmazás nem működik megfelelően.\n"
        "Folytatja a telepítést?",
        "A telepítőprogramot nem sikerült elindítani.",
        "Hiba történt a fájlok másolása közben. A telepítés nem sikerült.")),
    BuiltIn("ru", "Russian", 25, 1, 1251, "ru_RU.UTF-8", "Установка", "OK", "Отмена", _texts(
        "Для этой установки требуется Windows NT 4.0 или более поздняя версия.\n"
        "Обновите системное программное обеспечение.",
        "Для этой установки требуется Windows 95 (4.00.950a) или более поздняя версия.\n"
        "Если продолжить установку, приложение может работать неправильно.\n"
        "Продолжить установку?",
        "Не удалось запустить программу установки.",
        "При копировании файлов произошла ошибка. Установка не выполнена.")),
    BuiltIn("el", "Greek", 8, 1, 1253, "el_GR.UTF-8", "Εγκατάσταση", "OK", "Άκυρο", _texts(
        "Αυτή η εγκατάσταση απαιτεί Windows NT 4.0 ή νεότερη έκδοση.\n"
        "Ενημερώστε το λογισμικό του συστήματος.",
        "Αυτή η εγκατάσταση απαιτεί Windows 95 (4.00.950a) ή νεότερη έκδοση.\n"
        "Αν συνεχίσετε την εγκατάσταση, η εφαρμογή ενδέχεται να μη λειτουργεί σωστά.\n"
        "Θέλετε να συνεχίσετε την εγκατάσταση;",
        "Δεν ήταν δυνατή η εκκίνηση του προγράμματος εγκατάστασης.",
        "Παρουσιάστηκε σφάλμα κατά την αντιγραφή των αρχείων. Η εγκατάσταση απέτυχε.")),
    BuiltIn("tr", "Turkish", 31, 1, 1254, "tr_TR.UTF-8", "Kurulum", "Tamam", "İptal", _texts(
        "Bu kurulum için Windows NT 4.0 veya sonraki bir sürüm gerekir.\n"
        "Sistem yazılımınızı güncelleştirin.",
        "Bu kurulum için Windows 95 (4.00.950a) veya sonraki bir sürüm gerekir.\n"
        "Kuruluma devam ederseniz uygulama düzgün çalışmayabilir.\n"
        "Kuruluma devam edilsin mi?",
        "Kurulum programı başlatılamadı.",
        "Dosyalar kopyalanırken bir hata oluştu. Kurulum başarısız oldu.")),
    BuiltIn("ja", "Japanese", 17, 1, 932, "ja_JP.UTF-8", "セットアップ", "OK", "キャンセル", _texts(
        "このインストールには Windows NT 4.0 以降が必要です。\n"
        "システム ソフトウェアを更新してください。",
        "このインストールには Windows 95 (4.00.950a) 以降が必要です。\n"
        "インストールを続けると、アプリケーションが正しく動作しない可能性があります。\n"
        "インストールを続けますか?",
        "インストール プログラムを起動できませんでした。",
        "ファイルのコピー中にエラーが発生しました。インストールは失敗しました。")),
    BuiltIn("ko", "Korean", 18, 1, 949, "ko_KR.UTF-8", "설치", "확인", "취소", _texts(
        "이 설치 프로그램을 실행하려면 Windows NT 4.0 이상이 필요합니다.\n"
        "시스템 소프트웨어를 업데이트하십시오.",
        "이 설치 프로그램을 실행하려면 Windows 95 (4.00.950a) 이상이 필요합니다.\n"
        "설치를 계속하면 응용 프로그램이 올바르게 실행되지 않을 수 있습니다.\n"
        "설치를 계속하시겠습니까?",
        "설치 프로그램을 시작할 수 없습니다.",
        "파일을 복사하는 동안 오류가 발생했습니다. 설치하지 못했습니다.")),
    BuiltIn("zh-cn", "Chinese (Simplified)", 4, 2, 936, "zh_CN.UTF-8", "安装程序", "确定", "取消", _texts(
        "此安装需要 Windows NT 4.0 或更高版本。\n请更新您的系统软件。",
        "此安装需要 Windows 95 (4.00.950a) 或更高版本。\n"
        "继续安装可能导致应用程序无法正常运行。\n是否继续安装？",
        "无法启动安装程序。",
        "复制文件时出错。安装失败。"), also=(4,)),      # Singapore
    BuiltIn("zh-tw", "Chinese (Traditional)", 4, 1, 950, "zh_TW.UTF-8", "安裝程式", "確定", "取消", _texts(
        "此安裝需要 Windows NT 4.0 或更新版本。\n請更新您的系統軟體。",
        "此安裝需要 Windows 95 (4.00.950a) 或更新版本。\n"
        "繼續安裝可能導致應用程式無法正常執行。\n是否繼續安裝？",
        "無法啟動安裝程式。",
        "複製檔案時發生錯誤。安裝失敗。"), also=(3, 5)),  # Hong Kong, Macao
]


def built_in(primary_id, sublanguage_id=None):
    """The kit's language for these ids: the one of that sublanguage, else
    the primary language's first (English texts for English (UK), say);
    None when the kit has none."""
    same = [b for b in BUILT_IN if b.primary_id == primary_id]
    exact = [b for b in same if sublanguage_id == b.sublanguage_id or sublanguage_id in b.also]
    return (exact or same or [None])[0]
