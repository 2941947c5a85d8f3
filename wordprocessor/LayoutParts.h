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

// The creation, save and print dates of the package's core properties (invalid where it records none).
DocumentDates documentDates(Package &package);

} // namespace quill
