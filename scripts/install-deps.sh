#!/usr/bin/env bash
# Installs the Debian packages Zelkor needs to build, test and run, when any is missing.
set -euo pipefail

# qt6-translations-l10n: Qt's own Japanese texts of the standard dialogs; desktop-file-utils,
# shared-mime-info and libxml2-utils: the checks of the installed menu entry and file types;
# python3-openpyxl: the tests read the written workbooks back with it; qt6-svg-dev: the
# ordination diagram saved as SVG; zlib1g-dev: the written workbook is inflated and checked.
packages=(cmake ninja-build g++ pkg-config ccache qt6-base-dev qt6-svg-dev qt6-translations-l10n libxlsxwriter-dev zlib1g-dev
          libgtest-dev libbenchmark-dev fonts-ipafont xvfb xauth xdotool imagemagick poppler-utils
          desktop-file-utils shared-mime-info libxml2-utils python3-openpyxl)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -q
$sudo env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -q \
  --no-install-recommends "${missing[@]}"
