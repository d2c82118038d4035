#!/usr/bin/env bash
# usage: bash scripts/fresh-root-install.sh build/packages/kivola_VERSION_ARCH.deb
# Installs the package into a fresh, minimal Debian 12 root (mmdebstrap, as root, with network)
# and checks there what a player would: apt pulls every dependency, both commands are on a
# user's PATH, the engine answers, and the game shows its window under Xvfb.
set -euo pipefail
deb=$(readlink -f "$1")
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
command -v mmdebstrap >/dev/null || apt-get install -y -q --no-install-recommends mmdebstrap
root=$(mktemp -d /tmp/kivola-root.XXXXXX)
cleanup() {
  umount -l "$root/dev" "$root/proc" 2>/dev/null || true
  rm -rf --one-file-system "$root"
}
trap cleanup EXIT

mmdebstrap --variant=minbase --mode=root bookworm "$root" "$mirror"
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
cp "$deb" "$root/tmp/"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
# A player's login shell has /usr/games on its PATH; root's has not.
as_player() { chroot "$root" su - player -c "$1"; }

in_root apt-get update -q
# As a player installs: recommended packages too; the downloaded archives are not counted.
before=$(in_root du -sxk / | cut -f1)
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "/tmp/$(basename "$deb")" | tee "$root/tmp/install.log"
in_root apt-get clean
after=$(in_root du -sxk / | cut -f1)
in_root useradd -m player

as_player 'command -v kivola && command -v pbrain-kivola'
[ "$(as_player 'printf "START 15\nEND\n" | pbrain-kivola')" = OK ] || { echo "pbrain-kivola did not answer OK" >&2; exit 1; }
as_player 'kivola --version'

# Only now the X server, so that the figures above are the package's own.
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends xvfb xauth x11-utils >/dev/null
as_player 'xvfb-run -a sh -c "kivola & game=\$!
  for i in \$(seq 120); do
    if xwininfo -root -tree | grep -q \"\\\"Kivola\\\"\"; then echo \"window shown\"; kill \$game; exit 0; fi
    sleep 0.5
  done
  echo \"no window\" >&2; kill \$game; exit 1"'

echo "== package: $(stat -c %s "$deb") bytes ($(du -k "$deb" | cut -f1) KiB)"
echo "== $(grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$root/tmp/install.log")"
grep -E '^(Need to get|After this operation)' "$root/tmp/install.log" | sed 's/^/== /'
echo "== disk used by the install, measured: $(( (after - before) / 1024 )) MiB"
