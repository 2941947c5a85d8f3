#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace quill::test {

// Packages built and read through the engine's own Package class (Package.h).

// Entries of a package, in order: name and bytes.
using PackageEntries = std::vector<std::pair<QString, QByteArray>>;

// The namespace declarations of a WordprocessingML root element as Word writes them.
QByteArray wordNamespaces();

// A small WordprocessingML package, written from XML strings.
struct DocumentRecipe
{
    QByteArray body;                                        // the content of w:body (before its w:sectPr)
    std::vector<std::pair<QByteArray, QByteArray>> headers; // w:type and the content of w:hdr
    std::vector<std::pair<QByteArray, QByteArray>> footers; // w:type and the content of w:ftr
    QByteArray footnotes;                                   // the content of w:footnotes; none when empty
    bool isTemplate = false;                                // main part of the template content type
    PackageEntries extraEntries;                            // further entries, written as given: those under
                                                            // word/media/ are pictures of the main part, related
                                                            // to it as rIdPicture1, rIdPicture2, ... in order, and
                                                            // a word/settings.xml is the main part's settings
};

// The entries of `recipe` as a package.
PackageEntries documentEntries(const DocumentRecipe &recipe);
// Adds part word/`kind`.xml (`kind` as in its content type: styles, endnotes, ...) holding `xml`, declared
// and related to the main part of `entries`, which documentEntries() made.
void addWordPart(PackageEntries &entries, const QByteArray &kind, const QByteArray &xml);
// Writes `entries` as a package at `path`; returns false on failure.
bool writePackage(const QString &path, const PackageEntries &entries);
// Writes `entries` and then an entry `name` of `size` zero bytes, produced as the zip library asks for
// them (so that a huge, highly compressible entry needs no memory); returns false on failure.
bool writePackageWithZeros(const QString &path, const PackageEntries &entries, const QString &name, qint64 size);
// Writes the package of `recipe` to `path`; returns false on failure.
bool writeDocument(const QString &path, const DocumentRecipe &recipe);
// The bytes of `entries` as a package file (empty on failure).
QByteArray packageBytes(const PackageEntries &entries);

// A package read into memory.
struct PackageContents
{
    QStringList names;              // entry names, in the order of the package
    QMap<QString, QByteArray> parts; // the bytes of each entry, by name
    QString error;                  // why the package could not be read; empty when it was
};
// Every entry of the package at `path`.
PackageContents readPackage(const QString &path);
// Every entry of the package held in `bytes`.
PackageContents readPackageBytes(const QByteArray &bytes);

// One paragraph holding `runs` (the XML of its runs).
QByteArray paragraph(const QByteArray &runs);
// One run holding `text`, with the run properties `properties` (XML inside w:rPr) when given.
QByteArray run(const QByteArray &text, const QByteArray &properties = QByteArray());

} // namespace quill::test
