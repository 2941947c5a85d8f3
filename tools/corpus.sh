#!/usr/bin/env bash
# Measures the engine on real documents against LibreOffice:
#   bash tools/corpus.sh DIR [WORKDIR]
# For every .docx in DIR: opened / refused (with the engine's message) / crashed / hung, filled
# through the automation layer as generation fills a letter (one word of the document replaced in
# every story and shape) and saved; whether LibreOffice's text of our saved file equals LibreOffice's
# text of the original with that word replaced; both page counts; and the share of LibreOffice's
# text lines (whole pages at 96 dpi) that have a line of ours within 4 px. Prints a table and a total.
# A measuring tool, not a test: it takes minutes and needs LibreOffice and poppler.
set -uo pipefail
cd "$(dirname "$0")/.."
source_dir=$(realpath "${1:?usage: corpus.sh DIR [WORKDIR]}")
work=$(realpath -m "${2:-build-tests/corpus}")
per_document_seconds=60
replacement=Qxzv

bash tools/install-deps.sh test >/dev/null || exit 1
cmake -S . -B build-tests -DBUILD_TESTING=ON >/dev/null && cmake --build build-tests -j"$(nproc)" --target corpus_check >/dev/null || exit 1
check=$PWD/build-tests/bin/corpus_check
export QT_QPA_PLATFORM=offscreen

rm -rf "$work"
mkdir -p "$work/originals" "$work/ours" "$work/profile"
soffice=(soffice "-env:UserInstallation=file://$work/profile" --headless)

printf '%-44s %-8s %-6s %5s %5s %11s\n' document outcome text pages lo lines
opened=0 refused=0 crashed=0 hung=0 exact=0 checked=0 same_pages=0 compared=0 lo_lines=0 matched_lines=0
declare -A words
for file in "$source_dir"/*.docx; do
    name=$(basename "$file" .docx)
    dir=$work/$name
    mkdir -p "$dir"
    cp "$file" "$work/originals/$name.docx"
    timeout "$per_document_seconds" "$check" fill "$file" "$dir" >"$dir/fill.txt" 2>"$dir/fill.err"
    status=$?
    case $status in
        0) opened=$((opened + 1)); cp "$dir/ours.docx" "$work/ours/$name.docx"
           words[$name]=$(sed -n 's/.*word=\([^ ]*\).*/\1/p' "$dir/fill.txt") ;;
        1) refused=$((refused + 1)); printf '%-44s refused  %s\n' "$name" "$(head -c 120 "$dir/fill.err")" ;;
        124) hung=$((hung + 1)); printf '%-44s hung\n' "$name" ;;
        *) crashed=$((crashed + 1)); printf '%-44s crashed (status %d)\n' "$name" "$status" ;;
    esac
done

# LibreOffice converts each set in one process.
(cd "$work" && "${soffice[@]}" --convert-to pdf --outdir "$work/lo-pdf" originals/*.docx >/dev/null 2>&1)
(cd "$work" && "${soffice[@]}" --convert-to "txt:Text (encoded):UTF8" --outdir "$work/lo-text" originals/*.docx >/dev/null 2>&1)
(cd "$work" && "${soffice[@]}" --convert-to "txt:Text (encoded):UTF8" --outdir "$work/our-text" ours/*.docx >/dev/null 2>&1)

for file in "$work"/ours/*.docx; do
    [ -e "$file" ] || continue
    name=$(basename "$file" .docx)
    dir=$work/$name
    word=${words[$name]}
    text=-
    if [ -s "$work/lo-text/$name.txt" ] && [ -f "$work/our-text/$name.txt" ] && [ "$word" != "-" ]; then
        checked=$((checked + 1))
        if python3 - "$work/lo-text/$name.txt" "$work/our-text/$name.txt" "$word" "$replacement" <<'PY'
import re, sys
original = open(sys.argv[1], encoding="utf-8", errors="replace").read()
ours = open(sys.argv[2], encoding="utf-8", errors="replace").read()
expected = re.sub(re.escape(sys.argv[3]), sys.argv[4], original, flags=re.IGNORECASE)
norm = lambda t: "\n".join(line.rstrip() for line in t.strip().splitlines())
sys.exit(0 if norm(expected) == norm(ours) else 1)
PY
        then text=exact; exact=$((exact + 1)); else text=differs; fi
    fi
    ours_pages=$(sed -n 's/.*pages=\([0-9]*\).*/\1/p' "$dir/fill.txt")
    lo_pages=-
    lines=-
    if [ -f "$work/lo-pdf/$name.pdf" ]; then
        lo_pages=$(pdfinfo "$work/lo-pdf/$name.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
        compared=$((compared + 1))
        [ "$lo_pages" = "$ours_pages" ] && same_pages=$((same_pages + 1))
        pdftoppm -r 96 -png "$work/lo-pdf/$name.pdf" "$dir/lo" 2>/dev/null
        doc_lo=0 doc_matched=0
        page=1
        for reference in $(ls "$dir"/lo-*.png 2>/dev/null | sort -V); do
            read -r r m < <("$check" lines "$reference" "$dir/ours-$page.png" 2>/dev/null)
            doc_lo=$((doc_lo + r)); doc_matched=$((doc_matched + m)); page=$((page + 1))
        done
        lo_lines=$((lo_lines + doc_lo)); matched_lines=$((matched_lines + doc_matched))
        lines="$doc_matched/$doc_lo"
    fi
    printf '%-44s %-8s %-6s %5s %5s %11s\n' "$name" opened "$text" "$ours_pages" "$lo_pages" "$lines"
done

share=$(awk -v m="$matched_lines" -v l="$lo_lines" 'BEGIN { printf "%.1f", l ? 100 * m / l : 0 }')
echo "TOTAL: $opened opened, $refused refused, $crashed crashed, $hung hung; replace exact on $exact of $checked;" \
     "page count equal on $same_pages of $compared; lines within 4 px: $matched_lines of $lo_lines ($share%)"
