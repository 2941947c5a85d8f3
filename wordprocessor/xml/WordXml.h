#pragma once

#include <pugixml.hpp>

#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace quill {

// The XML vocabulary of a WordprocessingML package, shared by the engine and the layout.
// Elements and attributes are matched by namespace, never by prefix: a document may bind a namespace to any
// prefix or make it the default one. The local part of a name is compared first; its prefix is resolved
// through the xmlns declarations in scope only when the local part matches, which keeps a miss cheap.

// The namespaces the engine and the layout read.
enum class XmlNamespace {
    Word,                 // WordprocessingML's main vocabulary (conventionally w:)
    MarkupCompatibility,  // alternative content for older readers (mc:)
    Relationships,        // relationship ids in attributes (r:)
    WordDrawing,          // DrawingML placed in WordprocessingML (wp:)
    PackageRelationships, // a package's relationships parts
    ContentTypes,         // a package's [Content_Types].xml
    DataStore,            // the properties of a custom XML part (ds:)
    CoreProperties,       // a package's core properties (cp:)
    DublinCoreTerms,      // the dates among the core properties (dcterms:)
    DublinCore,           // the title and creator among the core properties (dc:)
    DrawingMain,          // DrawingML's main vocabulary (a:): themes, pictures
    Picture,              // DrawingML pictures (pic:)
    WordShape,            // Word 2010 shapes and text boxes in DrawingML (wps:)
    WordGroup,            // Word 2010 groups of shapes (wpg:)
    WordDrawing2010,      // Word 2010 additions to placed drawings (wp14:)
    Word2010,             // Word 2010 additions to WordprocessingML (w14:)
    DrawingMain2010,      // Office 2010 additions to DrawingML (a14:)
    Chart,                // DrawingML charts (c:)
    Vml,                  // VML shapes, the pictures of older documents (v:)
    VmlOffice,            // Office's VML extensions (o:)
    VmlWord,              // Word's VML extensions: how text wraps a shape (w10:)
};

// The URI that names `ns`.
const char *namespaceUri(XmlNamespace ns);

// The namespace URI bound to `prefix` where `node` sits (the default namespace for an empty prefix);
// null when the prefix is not bound there.
const char *namespaceForPrefix(pugi::xml_node node, std::string_view prefix);

// The local part of an element or attribute name ("w:p" -> "p").
const char *localName(const char *qualifiedName);

// True when `node` is an element of `ns` (whatever its local name).
bool isInNamespace(pugi::xml_node node, XmlNamespace ns = XmlNamespace::Word);

// True when `node` is an element of `ns` with the local name `name`.
bool isElement(pugi::xml_node node, const char *name, XmlNamespace ns = XmlNamespace::Word);

// As isInNamespace(node, ns), given `anchor`, an ancestor of `node` known to be an element of `ns`: a name with
// the anchor's prefix is then resolved by walking up to the anchor only (the search reads runs this way).
bool isInNamespace(pugi::xml_node node, XmlNamespace ns, pugi::xml_node anchor);

// As isElement(node, name, ns), with a known ancestor `anchor` in `ns` (see isInNamespace).
bool isElement(pugi::xml_node node, const char *name, XmlNamespace ns, pugi::xml_node anchor);

// The first child element of `node` in `ns` with the local name `name`, or a null node.
pugi::xml_node childElement(pugi::xml_node node, const char *name, XmlNamespace ns = XmlNamespace::Word);

// The attribute of `node` in `ns` with the local name `name`, or a null attribute.
// An attribute without a prefix is in no namespace: read it with pugixml's own attribute(name).
pugi::xml_attribute attribute(pugi::xml_node node, const char *name, XmlNamespace ns = XmlNamespace::Word);

// The name to give a new element of `ns` created inside `scope`: `localName` with the prefix the document
// binds to `ns` there (scope's own prefix when scope is in `ns`), unprefixed when `ns` is the default one.
std::string qualifiedName(pugi::xml_node scope, const char *localName, XmlNamespace ns);

// The WordprocessingML attribute `name` as an integer, or nothing when it is absent or not a number.
std::optional<int> intAttribute(pugi::xml_node node, const char *name);

// The WordprocessingML attribute `name` as text (empty when absent).
QString textAttribute(pugi::xml_node node, const char *name);

// The value of an on/off property element: present without w:val, or with a true value, is on.
bool isOn(pugi::xml_node property);

} // namespace quill
