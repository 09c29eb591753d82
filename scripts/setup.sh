#!/usr/bin/env bash
# Installs what building and testing korDialog needs on Debian 12, and nothing when all is there.
# The display test runs korcad on an X server of its own: Qt's X11 platform (qt6-qpa-plugins),
# Xvfb, the window manager openbox, xdotool for keys and clicks, xprop (x11-utils).
set -euo pipefail

packages=(build-essential cmake pkg-config qt6-base-dev libgl-dev libsqlite3-dev
          libgtest-dev libgmock-dev libbenchmark-dev fonts-dejavu-core locales libedit-dev libicu-dev
          python3 python3-ezdxf ccache dpkg-dev file libdxflib-dev postgresql libpq-dev clang libclang-rt-14-dev
          qt6-qpa-plugins xvfb openbox xdotool x11-utils)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
fi
need_root() {
  [ -z "$sudo" ] || command -v sudo >/dev/null || { echo "setup: need root to $1" >&2; exit 1; }
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  need_root "install ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The tests run korcad under a German locale (decimal comma): generate it when it is missing.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "setup: generating the locale de_DE.UTF-8"
  need_root "generate the locale de_DE.UTF-8"
  if ! grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null
fi
