#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

#include <utility>
#include <vector>

namespace quill::test {

// Entries of a zip, in order: name and bytes.
using ZipEntries = std::vector<std::pair<QString, QByteArray>>;

// The namespace declarations of a WordprocessingML root element as Word writes them.
QByteArray wordNamespaces();

// A small WordprocessingML package, written from XML strings.
struct DocumentSpec
{
    QByteArray body;                                      // the content of w:body (before its w:sectPr)
    std::vector<std::pair<QByteArray, QByteArray>> headers; // w:type and the content of w:hdr
    std::vector<std::pair<QByteArray, QByteArray>> footers; // w:type and the content of w:ftr
    QByteArray footnotes;                                 // the content of w:footnotes; none when empty
    bool isTemplate = false;                              // main part of the template content type
    ZipEntries extraEntries;                              // further entries, written as given
};

// The entries of `recipe` as a package.
ZipEntries documentEntries(const DocumentSpec &recipe);
// Writes `entries` to a zip at `path` (deflated); returns false on failure.
bool writeZip(const QString &path, const ZipEntries &entries);
// Writes `entries` and then an entry `name` of `size` zero bytes, produced as libzip asks for them
// (so that a huge, highly compressible entry needs no memory); returns false on failure.
bool writeZipWithZeros(const QString &path, const ZipEntries &entries, const QString &name, qint64 size);
// Writes the package of `recipe` to `path`; returns false on failure.
bool writeDocument(const QString &path, const DocumentSpec &recipe);
// Every entry of the zip at `path`, by name (empty on failure).
QMap<QString, QByteArray> readZip(const QString &path);

// One paragraph holding `runs` (the XML of its runs).
QByteArray paragraph(const QByteArray &runs);
// One run holding `text`, with the run properties `properties` (XML inside w:rPr) when given.
QByteArray run(const QByteArray &text, const QByteArray &properties = QByteArray());

} // namespace quill::test
