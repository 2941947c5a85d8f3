#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QPicture>
#include <QSize>
#include <QString>

#include <vector>

namespace pugi {
class xml_document;
}

namespace quill {

// The parts that a laid-out part names through its relationships (headers and footers, pictures), read
// when the layout asks for them. A part that is missing or damaged is an empty answer, never an error:
// what cannot be read is drawn empty.
class RelatedParts
{
public:
    virtual ~RelatedParts() = default;
    // The name of the package part that relationship `id` of part `source` names; empty when there is none.
    virtual QString target(const QString &source, const QString &id) = 0;
    // The parsed XML of part `name`; nullptr when it is missing or damaged.
    virtual const pugi::xml_document *xml(const QString &name) = 0;
    // The bytes of part `name`; empty when it is missing.
    virtual QByteArray data(const QString &name) = 0;
};

// The dates a document's date fields show, from its core properties; invalid when it records none.
struct DocumentDates
{
    QDateTime created; // CREATEDATE
    QDateTime saved;   // SAVEDATE
    QDateTime printed; // PRINTDATE
};

// The parsed parts that decide how a document body looks. Only `document` is required.
struct LayoutSources
{
    const pugi::xml_document *document = nullptr;  // word/document.xml
    const pugi::xml_document *styles = nullptr;    // word/styles.xml
    const pugi::xml_document *settings = nullptr;  // word/settings.xml (default tab stop)
    const pugi::xml_document *numbering = nullptr; // word/numbering.xml
    const pugi::xml_document *theme = nullptr;     // word/theme/theme1.xml (the theme's fonts)
    QString mainPart;                              // the part `document` was read from
    QString footnotesPart;                         // word/footnotes.xml, read through `related`; empty: none
    QString endnotesPart;                          // word/endnotes.xml, likewise
    RelatedParts *related = nullptr;               // without it, headers, footers and pictures are left out
    DocumentDates dates;
};

// Every page of a document, drawn top to bottom into one vector picture.
struct BodyPicture
{
    QPicture picture;   // in logical pixels at 96 dpi; its bounding rect holds every page
    int pageCount = 0;
    QSize pageSize;     // the first page, in logical pixels at 96 dpi
    std::vector<QRect> pageRects; // every page's place in the picture, top to bottom
};

// Lays out every page of `sources.document` as it prints (see layOutPages) and records them, white sheets
// with a thin grey line where one ends and the next begins, top to bottom, left-aligned.
BodyPicture renderBody(const LayoutSources &sources);

} // namespace quill
