#!/usr/bin/env bash
# Installs what building and testing korDialog needs on Debian 12, and nothing when all is there.
set -euo pipefail

packages=(build-essential cmake pkg-config qt6-base-dev libgl-dev libsqlite3-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core libedit-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root to install ${missing[*]}" >&2; exit 1; }
  sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
