#pragma once

#include "Error.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include <pugixml.hpp>

namespace quill {

// One relationship of a part, read from the part's relationships part.
struct Relationship
{
    QString id;
    QString type;       // the full relationship type URI
    QString target;     // the target part's name inside the package; the raw URI for external targets
    bool external = false;
};

// Throws the error of a document at `path` that could not be opened, with `status` and the
// `reason` a user reads after "could not be opened: ".
[[noreturn]] void failOpen(const QString &path, Status status, const QString &reason);

// An Open Packaging Conventions package (a .docx / .dotx zip) held in memory.
// Every entry is kept; parts that are never changed are written back with the bytes they were read with.
// XML parts are parsed on first use and written back only when marked modified.
// Part names are zip entry names without a leading slash ("word/document.xml"), matched without regard to case.
class Package
{
public:
    // Reads every entry of the package at `path`; throws Error when the file is missing,
    // is no zip, is damaged or exceeds the limits of PackageLimits.h.
    static std::unique_ptr<Package> open(const QString &path);
    // A package without entries, to be filled with setData() and saved.
    static std::unique_ptr<Package> create();

    // Frees every part.
    ~Package();

    // The path the package was read from, as given to open().
    QString path() const { return m_path; }
    // The names of all entries, in the order they were read.
    std::vector<QString> partNames() const;
    // The stored name of the part `name` (matched without regard to case), or an empty string.
    QString findPart(const QString &name) const;
    // True when the package holds the part `name`.
    bool contains(const QString &name) const { return !findPart(name).isEmpty(); }
    // The current bytes of the part (serialised anew when its XML was modified); empty for no part.
    QByteArray data(const QString &name) const;

    // The parsed XML of the part, parsed on first use; throws Error for a missing or malformed part.
    pugi::xml_document &xml(const QString &name);
    // Replaces the bytes of the part `name` (dropping its parsed XML), or adds the part after the others.
    void setData(const QString &name, const QByteArray &data);
    // Records that the parsed XML of `name` was changed, so that saving serialises it.
    void markModified(const QString &name);
    // True when the part's XML was marked modified since it was read.
    bool isModified(const QString &name) const;

    // The relationships of `sourcePart` (none when it has no relationships part); throws for a malformed one.
    std::vector<Relationship> relationships(const QString &sourcePart);
    // The first internal relationship of `sourcePart` whose type ends with "/" + `typeSuffix`, or none.
    Relationship relationship(const QString &sourcePart, const QString &typeSuffix);
    // The stored name of the part that relationship() names; empty when there is none.
    QString relatedPart(const QString &sourcePart, const QString &typeSuffix);

    // Writes the whole package to `path` through a temporary file that replaces `path` only on success;
    // throws Error, leaving any existing file at `path` as it was.
    void save(const QString &path) const;

    // The name of the relationships part of `sourcePart` ("word/_rels/document.xml.rels"; "_rels/.rels" for the package).
    static QString relationshipsPartName(const QString &sourcePart);
    // The part name a relative or absolute relationship target names, seen from `sourcePart`.
    static QString resolveTarget(const QString &sourcePart, const QString &target);

private:
    struct Part
    {
        QString name;
        QByteArray data;
        bool isDirectory = false;
        std::unique_ptr<pugi::xml_document> xml;
        bool modified = false;
        std::int64_t archiveIndex = -1; // the deflated entry of m_archiveBytes holding `data`, or -1
    };

    Package() = default;
    const Part *part(const QString &name) const;
    Part *part(const QString &name);
    QByteArray serialise(const Part &part) const;

    QString m_path;
    QByteArray m_archiveBytes; // the file read, when small enough to keep (see archiveIndex)
    std::vector<std::unique_ptr<Part>> m_parts;
    QHash<QString, Part *> m_index; // lower-case name -> part
};

} // namespace quill
