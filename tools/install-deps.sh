#!/usr/bin/env bash
# Installs the Debian packages that Kelvo's build and tests need, when they
# are missing, and generates the locales the text tests use. Safe to run
# again: it does nothing when everything is there. Runs apt-get as root, or
# through sudo for another user.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libsdl2-dev libx11-dev libfreetype-dev libfontconfig-dev libsqlite3-dev
  fonts-liberation fonts-dejavu-core
  libgtest-dev libgmock-dev googletest libbenchmark-dev valgrind
  xvfb xdotool imagemagick x11-utils x11-xserver-utils locales xdg-utils
  clang libclang-rt-dev
  sqlite3
  desktop-file-utils appstream
)
locales_wanted=(it_IT.UTF-8 en_US.UTF-8 de_DE.UTF-8 fr_FR.UTF-8)

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

have_locales=$(locale -a 2>/dev/null | tr '[:upper:]' '[:lower:]' | sed 's/utf-8/utf8/')
need_gen=0
for l in "${locales_wanted[@]}"; do
  norm=$(echo "$l" | tr '[:upper:]' '[:lower:]' | sed 's/utf-8/utf8/')
  if ! grep -qx "$norm" <<<"$have_locales"; then
    need_gen=1
    if ! grep -q "^$l UTF-8" /etc/locale.gen 2>/dev/null; then
      echo "$l UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
    fi
  fi
done
if [ "$need_gen" = 1 ]; then
  as_root locale-gen >/dev/null
fi
