#!/usr/bin/env bash
# The committed icon is what its script draws: redraws it and compares pixel by pixel.
# Usage: icon_from_script.sh RESOURCES_DIR
set -uo pipefail
resources=$1
skip=${QUILL_SKIP_STATUS:-77}
command -v compare >/dev/null && convert -version 2>/dev/null | grep -q ImageMagick \
    || { echo "SKIP: ImageMagick is not installed"; exit "$skip"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$resources/artwork/make_icon.sh" "$work/icon.png" || { echo "FAIL: the icon script failed"; exit 1; }
differing=$(compare -metric AE "$work/icon.png" "$resources/quillfern.png" null: 2>&1)
[ "$differing" = "0" ] || { echo "FAIL: the committed icon differs from its script's in $differing pixels"; exit 1; }
echo "the icon is its script's"
