#pragma once

#include <pugixml.hpp>

#include <vector>

namespace quill {

// What an element inside a paragraph stands for in the text of its run. The search and the layout both read
// run content through runItem(), so that they agree on what a document's text is.
enum class RunItem {
    Other,          // none of the below: the search looks inside it, the layout passes it by
    Text,           // w:t
    Tab,            // w:tab, w:ptab
    Break,          // w:br (breakKind() tells which)
    CarriageReturn, // w:cr
    NoBreakHyphen,  // w:noBreakHyphen
    SoftHyphen,     // w:softHyphen
    Symbol,         // w:sym
    FieldCharacter, // w:fldChar: begins, separates or ends a complex field
    Embedded,       // drawings, pictures, objects, note and comment references, text boxes: no character of the run
    Skipped,        // never shown nor searched: properties, field codes, deleted text, fallback content
};

// The run item `node` is; Other for anything else (elements of other namespaces, text nodes). `paragraph`,
// when given, is a WordprocessingML ancestor of `node` that spares resolving its prefix up to the root.
RunItem runItem(pugi::xml_node node, pugi::xml_node paragraph = {});

// Where a w:br breaks.
enum class BreakKind {
    Line,  // a line break (w:type absent or "textWrapping")
    Page,  // w:type="page"
    Column // w:type="column"
};

// The kind of the break element `br`.
BreakKind breakKind(pugi::xml_node br);

// Where a walk through run content stands among complex fields (w:fldChar begin, separate, end). Fields nest
// and may span paragraphs; text is shown only where every open field has reached its result, so a field's code
// (and the whole of a field that has no separate) is never shown.
class FieldNesting
{
public:
    // Takes the field character `fldChar` into account; a separate or end without an open field is ignored.
    void step(pugi::xml_node fldChar);
    // True when run content at the current place is shown.
    bool isShown() const { return m_inCode == 0; }

private:
    std::vector<bool> m_inResult; // per open field, outermost first: true once its separate was passed
    int m_inCode = 0;             // open fields still in their code
};

} // namespace quill
