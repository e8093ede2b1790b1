#!/usr/bin/env bash
# Maps a 1 MB tmpfs as a Wine drive for the full-disk copy tests, or removes
# it again:  small_drive.sh mount|unmount <folder> <drive letter>
# Mounting needs root (the CI runs the tests as root). Where it is not
# possible the drive stays unmapped and the tests skip themselves; this
# script never fails the run.
set -u
action=$1 folder=$2 letter=$3
source "$(dirname "$0")/../../scripts/wine-env"
link="$WINEPREFIX/dosdevices/$letter:"

unmount() {
    rm -f "$link"
    if mountpoint -q "$folder" 2>/dev/null; then umount "$folder"; fi
    rmdir "$folder" 2>/dev/null || true
}

case "$action" in
mount)
    unmount   # a run that was killed may have left the last one behind
    mkdir -p "$folder"
    if mount -t tmpfs -o size=1m,mode=0777 tmpfs "$folder" 2>/dev/null; then
        ln -s "$folder" "$link"
        echo "drive $letter: is a 1 MB tmpfs at $folder"
    else
        echo "cannot mount a tmpfs here; the full-disk tests will be skipped"
    fi
    ;;
unmount)
    unmount
    ;;
esac
exit 0
