#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it with dpkg-deb: the program, its link, the menu
# entry, the icon and the manual page are in it, and it declares the Debian packages it needs.
#   deb.sh BUILD_DIR
set -Eeuo pipefail

build=${1:?usage: deb.sh BUILD_DIR}
for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit "${QUILL_SKIP_STATUS:-77}"; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$(ls "$work"/*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "cpack made no .deb"

contents=$(dpkg-deb -c "$deb")
for path in ./usr/bin/quillfern-epistle ./usr/libexec/quillfern-epistle/quillfern-epistle \
            ./usr/share/applications/quillfern-epistle.desktop \
            ./usr/share/icons/hicolor/128x128/apps/quillfern-epistle.png \
            ./usr/share/man/man1/quillfern-epistle.1.gz; do
    grep -q " $path\( ->\|$\)" <<<"$contents" || fail "$path is not in the package"
done
grep -q " ./usr/bin/quillfern-epistle -> ../libexec/quillfern-epistle/quillfern-epistle$" <<<"$contents" \
    || fail "the link in bin/ does not lead to the program"
if grep -q "build\|/tmp/" <<<"$contents"; then fail "the package holds build paths"; fi

depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libzip4 libpugixml1v5 libcsv3 qt6-qpa-plugins fonts-liberation; do
    grep -q "\b$package\b" <<<"$depends" || fail "Depends does not name $package: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = quillfern-epistle ] || fail "the package is not named quillfern-epistle"
echo "OK: $(basename "$deb")"
