#pragma once

#include "Package.h"
#include "layout/BodyLayout.h"

#include <QHash>

#include <vector>

namespace quill {

// The parts of a package, as the layout asks for them by relationship. Relationships are read once per part.
class PackageParts : public RelatedParts
{
public:
    explicit PackageParts(Package &package) : m_package(package) {}

    QString target(const QString &source, const QString &id) override;
    const pugi::xml_document *xml(const QString &name) override;
    QByteArray data(const QString &name) override;

private:
    Package &m_package;
    QHash<QString, std::vector<Relationship>> m_relationships; // by source part
};

// What the package's core properties say, as far as the pages show it.
struct CoreProperties
{
    DocumentDates dates; // invalid where none is recorded
    QString title;
    QString author;      // dc:creator
};

// The core properties of the package; empty when it has none or they cannot be read.
CoreProperties coreProperties(Package &package);

} // namespace quill
