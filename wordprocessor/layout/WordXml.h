#pragma once

#include <pugixml.hpp>

#include <QString>

#include <optional>

namespace quill {

// Small readers for WordprocessingML elements. Elements and attributes are matched by their
// local name, so a document that binds the main namespace to another prefix still reads.

// The local part of an element or attribute name ("w:p" -> "p").
const char *localName(const char *qualifiedName);

// True when `node` is an element with the local name `name`.
bool isElement(pugi::xml_node node, const char *name);

// The first child element with the local name `name`, or a null node.
pugi::xml_node childElement(pugi::xml_node node, const char *name);

// The attribute with the local name `name`, or a null attribute.
pugi::xml_attribute attribute(pugi::xml_node node, const char *name);

// The attribute `name` as an integer, or nothing when it is absent or not a number.
std::optional<int> intAttribute(pugi::xml_node node, const char *name);

// The attribute `name` as text (empty when absent).
QString textAttribute(pugi::xml_node node, const char *name);

// The value of an on/off property element: present without w:val, or with a true value, is on.
bool isOn(pugi::xml_node property);

} // namespace quill
