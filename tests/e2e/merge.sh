#!/usr/bin/env bash
# The installed command's merge, end to end: installs the built program into a temporary prefix,
# writes a recipient list whose cells hold accents, &, <, quotes, commas inside quotes, Japanese and a
# marker unique to the row, and runs `merge --format both` through the link in bin/ with private
# home, settings and work folders. Then every PDF is read with pdftotext and a sample of the .doc
# letters with LibreOffice (one process for the whole sample): each letter holds its own row's values
# and no other row's marker, and nothing but the letters is left in the output folder.
#   merge.sh BUILD_DIR
set -Eeuo pipefail

build=${1:?usage: merge.sh BUILD_DIR}

# A program this test needs that is not installed skips the test (CTest's SKIP_RETURN_CODE).
for tool in soffice pdftotext; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit "${QUILL_SKIP_STATUS:-77}"; }
done

readonly ROWS=50
# How long LibreOffice may take for the whole sample, a new profile included, in seconds.
readonly SOFFICE_SECONDS=180
# The rows whose .doc letters LibreOffice reads: every sixth from the third, so that each name of
# the list below is among them.
readonly DOC_SAMPLE=(3 9 15 21 27 33 39 45)
readonly NAMES=("Zoë Brontë" "Jörg Müller-Lüdenscheidt" "Seán O'Brien" "Åsa Ångström" "山田 太郎"
                "Renée \"Ace\" Dubois" "Ximena Núñez")
readonly TITLES=("Head of Buying" "Directrice générale" "\"Chief\" Buyer" "営業部長")
readonly COMPANIES=("Ostrander & Daughters" "Smith <Wholesale> Ltd" "Müller, Schmidt & Co" "株式会社さくら"
                    "The \"Quoted\" Trading Co")
readonly CITIES=("São Paulo" "Zürich" "東京" "Kraków" "Montréal" "Ålesund")
readonly STATES=("QC" "ZH" "SP" "東京都" "MA")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
out=$work/out
mkdir -p "$work/home" "$work/config" "$work/data" "$work/cache" "$work/runtime" "$work/temp" \
    "$work/values" "$work/sample" "$work/text" "$out"
chmod 700 "$work/runtime" "$work/temp"

echo "== cmake --install into a temporary prefix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "the installation failed"; }

# The list's columns are these tags; values/N holds row N's values, one per line, as the letter must show them.
echo "== a list of $ROWS recipients"
columns=(RecipientName Title CompanyName StreetAddress2 City2 ST2 ZIPCode2)
(IFS=,; echo "${columns[*]}") >"$work/list.csv"
for ((row = 1; row <= ROWS; ++row)); do
    printf -v marker 'ROW%03d' "$row"
    values=("${NAMES[row % ${#NAMES[@]}]} $marker" "${TITLES[row % ${#TITLES[@]}]}"
            "${COMPANIES[row % ${#COMPANIES[@]}]}" "$row Rue de l'Église, Bât. B" "${CITIES[row % ${#CITIES[@]}]}"
            "${STATES[row % ${#STATES[@]}]}" "$((10000 + row * 37))")
    # Every cell quoted, its quotes doubled.
    line=""
    for value in "${values[@]}"; do line+="${line:+,}\"${value//\"/\"\"}\""; done
    printf '%s\r\n' "$line" >>"$work/list.csv"
    printf '%s\n' "${values[@]}" >"$work/values/$row"
done

echo "== the installed command merges the list into .doc and PDF"
status=0
env -i PATH=/usr/bin:/bin LANG=C.UTF-8 HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
    XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" TEMP="$work/temp" QT_QPA_PLATFORM=offscreen \
    ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
    "$prefix/bin/quillfern-epistle" merge "$work/list.csv" --out "$out" --format both \
    >"$work/merge.out" 2>"$work/merge.err" || status=$?
[ "$status" -eq 0 ] || { cat "$work/merge.out" "$work/merge.err"; fail "the merge ended with status $status"; }
grep -q "^$ROWS letters written to " "$work/merge.out" || { cat "$work/merge.out"; fail "the summary does not count $ROWS letters"; }
[ -z "$(ls -A "$work/temp")" ] || fail "the merge left work files: $(ls -A "$work/temp")"
[ -z "$(ls -A "$work/config")" ] || fail "the merge wrote settings: $(ls -A "$work/config")"

echo "== one .doc and one PDF per row, and nothing else"
entries=$(find "$out" -mindepth 1 | wc -l)
[ "$entries" -eq $((2 * ROWS)) ] || { ls -A "$out"; fail "$entries entries in the output folder, not $((2 * ROWS))"; }
# Sets `found` to the letter of `row` in `extension`; fails unless exactly one regular file carries the row's marker.
letter() {
    local marker matches
    printf -v marker 'ROW%03d' "$1"
    matches=("$out"/*"$marker"*."$2")
    [ ${#matches[@]} -eq 1 ] && [ -f "${matches[0]}" ] && [ ! -L "${matches[0]}" ] \
        || fail "row $1 has no single .$2 letter: ${matches[*]}"
    found=${matches[0]}
}

# Checks that the text in `file` holds every value of `row` and no other row's marker. White space
# is left out on both sides: a line may break anywhere in a value.
check_text() {
    local file=$1 row=$2 what=$3 text value marker
    text=$(tr -d '[:space:]' <"$file")
    while IFS= read -r value; do
        value=${value//[[:space:]]/}
        [[ $text == *"$value"* ]] || fail "$what of row $row lacks \"$value\""
    done <"$work/values/$row"
    printf -v marker 'ROW%03d' "$row"
    [[ ${text//$marker/} != *ROW[0-9][0-9][0-9]* ]] || fail "$what of row $row holds another row's marker"
}

echo "== pdftotext reads every PDF"
for ((row = 1; row <= ROWS; ++row)); do
    letter "$row" pdf
    pdftotext "$found" "$work/text/$row.pdf.txt" || fail "pdftotext cannot read the PDF of row $row"
    check_text "$work/text/$row.pdf.txt" "$row" "the PDF"
done

echo "== LibreOffice reads ${#DOC_SAMPLE[@]} .doc letters in one process"
# Plain copies, so that LibreOffice's text files are named by the row.
sample=()
for row in "${DOC_SAMPLE[@]}"; do
    letter "$row" doc
    cp "$found" "$work/sample/$row.doc"
    sample+=("$work/sample/$row.doc")
done
# Its exit status says little (it is not always zero when the files were made): the text files count.
timeout "$SOFFICE_SECONDS" soffice "-env:UserInstallation=file://$work/profile" --headless --norestore \
    --convert-to "txt:Text (encoded):UTF8" --outdir "$work/text" "${sample[@]}" >"$work/soffice.log" 2>&1 || true
for row in "${DOC_SAMPLE[@]}"; do
    [ -s "$work/text/$row.txt" ] || { cat "$work/soffice.log"; fail "LibreOffice made no text of the .doc of row $row"; }
    check_text "$work/text/$row.txt" "$row" "the .doc"
done
echo "== passed"
