#!/usr/bin/env bash
# Installs the Debian packages that building and running need, with "test" also what testing needs,
# with "fuzz" also the clang toolchain of the fuzz targets. The fonts are those Word documents name,
# which fontconfig substitutes by name (Liberation for Arial, Times New Roman and Courier New,
# Carlito for Calibri, Caladea for Cambria), WenQuanYi Zen Hei for Chinese, Japanese and Korean,
# and OpenSymbol for the characters of the Symbol and Wingdings fonts (list bullets among them).
# Idempotent: packages already present are skipped, and nothing runs when all are there.
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
          libzip-dev zipcmp zipmerge ziptool libpugixml-dev libcsv-dev python3
          fonts-liberation fonts-crosextra-carlito fonts-crosextra-caladea fonts-wqy-zenhei fonts-opensymbol)
if [ "${1:-}" = "test" ]; then
    packages+=(xvfb xauth libreoffice-writer-nogui poppler-utils xdotool openbox x11-apps x11-utils unzip inotify-tools imagemagick qpdf dpkg-dev)
fi
if [ "${1:-}" = "fuzz" ]; then
    packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
