#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, and only
# those that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-14 libclang-rt-14-dev pkg-config clang-format
  qt6-base-dev qt6-translations-l10n libqcustomplot-dev
  libgtest-dev libbenchmark-dev libnlopt-dev
  fonts-ipafont-gothic fonts-ipafont-mincho
  desktop-file-utils appstream shared-mime-info libglib2.0-bin libxml2-utils lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  as_root=(sudo)
else
  echo "These packages are missing: ${missing[*]}" >&2
  echo "Install them with:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
