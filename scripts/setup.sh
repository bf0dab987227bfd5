#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with.
# Idempotent: when everything is present it installs nothing and stays quiet.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libepoxy-dev libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libopenal-dev libogg-dev libvorbis-dev
  libtinyxml-dev libstb-dev libfreetype-dev zlib1g-dev fonts-dejavu-core
  libwxgtk3.2-dev libx11-dev libxtst-dev libxdamage-dev
  xvfb xauth x11-apps locales
)

# A comma-decimal locale, so the tests can show that numbers in data files
# never follow the process locale.
ensure_locale() {
  locale -a 2>/dev/null | grep -qi '^ru_RU.utf-\?8$' && return 0
  command -v localedef >/dev/null || return 0
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO localedef -i ru_RU -f UTF-8 ru_RU.UTF-8 >/dev/null 2>&1 || true
}

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then ensure_locale; exit 0; fi

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
ensure_locale
