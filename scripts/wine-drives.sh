#!/usr/bin/env bash
# The drives the Windows tests expect in their Wine prefix, beside C: and
# Z: of a fresh one.  Wine takes a drive's folder from a link in
# $WINEPREFIX/dosdevices and its type from HKLM\Software\Wine\Drives,
# which it reads when its services start, so the server is restarted.
#
#   E:  removable               Q:  CD-ROM             S:  network
#   M:  RAM disk                N:  no root (its folder is missing)
#   R:  fixed, read-only (a tmpfs mounted read-only)
#   T:  fixed, room for 4096 bytes (a tmpfs of that size)
#   F:  fixed, full (a tmpfs of 4096 bytes holding a file of 4096)
#   \\SERVER\share (a folder), \\SERVER\roshare (on the read-only tmpfs)
#
# Mounting takes root, as the tests run in CI; elsewhere R:, T: and F: are
# left out and the tests that need them say so.
#
#   scripts/wine-drives.sh          set them up (the Wine server running)
#   scripts/wine-drives.sh --remove unmount them (before the prefix goes)
set -euo pipefail

: "${WINEPREFIX:?WINEPREFIX names the prefix}"
drives=$WINEPREFIX/test-drives
dos=$WINEPREFIX/dosdevices

unmount_all() {
  for dir in r t f; do
    if mountpoint -q "$drives/$dir" 2>/dev/null; then umount "$drives/$dir"; fi
  done
}

if [[ ${1:-} == --remove ]]; then
  unmount_all
  exit 0
fi

unmount_all
mkdir -p "$drives"/{e,q,s,m,r,t,f,share} "$dos/unc/server"
rm -rf "$drives/none"
for letter in e q s m; do ln -sfn "$drives/$letter" "$dos/$letter:"; done
ln -sfn "$drives/none" "$dos/n:"
ln -sfn "$drives/share" "$dos/unc/server/share"

if mount -t tmpfs -o size=4096,mode=1777 tmpfs "$drives/t" 2>/dev/null; then
  ln -sfn "$drives/t" "$dos/t:"
  mount -t tmpfs -o size=4096,mode=1777 tmpfs "$drives/f"
  head -c 4096 /dev/zero >"$drives/f/filler"
  ln -sfn "$drives/f" "$dos/f:"
  # Read-only twice over: the mount refuses every write, root's too, and
  # the folders carry no write bit, which Wine shows as the read-only
  # attribute that _access looks at.
  mount -t tmpfs -o size=64k,mode=0755 tmpfs "$drives/r"
  mkdir "$drives/r/roshare"
  echo "kept" >"$drives/r/kept.txt"
  chmod 0555 "$drives/r" "$drives/r/roshare"
  mount -o remount,ro "$drives/r"
  ln -sfn "$drives/r" "$dos/r:"
  ln -sfn "$drives/r/roshare" "$dos/unc/server/roshare"
else
  echo "wine-drives: no tmpfs can be mounted here: no R:, T: or F:" >&2
fi

for entry in e:floppy q:cdrom s:network m:ramdisk; do
  wine reg add 'HKLM\Software\Wine\Drives' /v "${entry%%:*}:" /d "${entry#*:}" /f >/dev/null 2>&1
done
# The services read the types when they start: a restarted server, and one
# program that starts them before the tests' first does.
wineserver -k
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
wine reg query 'HKLM\Software\Wine\Drives' </dev/null 2>/dev/null | grep -q cdrom
