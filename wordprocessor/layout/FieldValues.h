#pragma once

#include "BodyLayout.h"

#include <QDateTime>
#include <QSet>
#include <QString>

#include <optional>

namespace quill {

// What the fields of a story are drawn with: the page they are on and the document's dates.
struct FieldContext
{
    int page = 0;         // the page's number as shown; 0 where the page is not known (page fields keep their results)
    int pages = 0;        // NUMPAGES
    int sectionPages = 0; // SECTIONPAGES
    DocumentDates dates;
    QDateTime now;        // DATE and TIME
};

// What a field with the code `instruction` shows at `context`, computed as it prints: page numbers, page
// counts, dates with their \@ picture, a MACROBUTTON's display text. Nothing for every other field and for a
// field whose switches cannot be read: those show the result stored in the document.
std::optional<QString> fieldResult(const QString &instruction, const FieldContext &context);

// What a REF or PAGEREF field with the code `instruction` shows in a document whose bookmarks are `bookmarks`
// (names in lower case): LibreOffice's error text where the bookmark is missing; nothing for every other field
// and where the bookmark exists (the stored result stays).
std::optional<QString> missingReferenceResult(const QString &instruction, const QSet<QString> &bookmarks);

} // namespace quill
