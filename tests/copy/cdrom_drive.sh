#!/usr/bin/env bash
# Maps a folder as a Wine drive of type CD-ROM for the disc copy tests, or
# removes it again:  cdrom_drive.sh map|unmap <folder> <drive letter>
# Wine's mount manager reads drive types when the Wine session starts, so each
# step ends this prefix's session and starts a fresh one as scripts/test does
# (ctest runs one test at a time: nothing else runs in the prefix meanwhile).
set -eu
action=$1 folder=$2 letter=$3
source "$(dirname "$0")/../../scripts/wine-env"
link="$WINEPREFIX/dosdevices/$letter:"

restart_wine() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

unmap() {
    rm -f "$link"
    wine reg delete 'HKLM\Software\Wine\Drives' /v "$letter:" /f </dev/null >/dev/null 2>&1 || true
    restart_wine
    if [ -d "$folder" ]; then chmod -R u+w "$folder"; rm -rf "$folder"; fi
}

case "$action" in
map)
    unmap   # a run that was killed may have left the last one behind
    mkdir -p "$folder"
    ln -s "$folder" "$link"
    wine reg add 'HKLM\Software\Wine\Drives' /v "$letter:" /d cdrom /f </dev/null >/dev/null 2>&1
    restart_wine
    echo "drive $letter: is a CD-ROM drive at $folder"
    ;;
unmap)
    unmap
    ;;
esac
