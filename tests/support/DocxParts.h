#pragma once

#include "BodyLayout.h"

#include <pugixml.hpp>

#include <QByteArray>
#include <QString>

#include <memory>

namespace quill::test {

// The parsed parts of a package that the layout reads; keeps the XML documents alive for LayoutSources.
struct DocxParts
{
    std::unique_ptr<pugi::xml_document> document;
    std::unique_ptr<pugi::xml_document> styles;
    std::unique_ptr<pugi::xml_document> settings;
    std::unique_ptr<pugi::xml_document> numbering;
    std::unique_ptr<pugi::xml_document> theme;

    // The sources pointing at the parts that are present.
    LayoutSources sources() const;
};

// Parses one part from XML text, keeping a text run that is whitespace only; null for empty or bad XML.
std::unique_ptr<pugi::xml_document> parseXml(const QByteArray &xml);

// Writes a minimal package (content types, relationships and the given parts) to `path`;
// empty parts are left out. Used to hand the same body to LibreOffice for comparison.
bool writeDocx(const QString &path, const QByteArray &document, const QByteArray &styles,
               const QByteArray &settings, const QByteArray &numbering, QString *error);

} // namespace quill::test
