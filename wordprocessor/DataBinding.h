#pragma once

#include "Package.h"

#include <vector>

#include <pugixml.hpp>

namespace quill {

// Content controls bound to stored data: a w:sdt whose w:sdtPr holds w:dataBinding shows a value kept in a
// custom XML part or in the document properties. Word puts the stored value back into the control
// when they open the document, so a control whose text changes must have its stored value changed alike.

// The data-bound content control nearest above `node`, or a null node when no bound control holds it.
pugi::xml_node boundContentControl(pugi::xml_node node);

// Shows in the data-bound content controls of part `part` the values their data holds, as Word does when it opens
// a document, and marks the part modified when one changed. A control keeps its content when its data cannot be
// found or read, its value is empty, differs from its text in white space only or is stored in another form than
// text (dates, pictures), it shows its placeholder, or its content is more than runs of text, which a value cannot
// replace without loss.
void showStoredValues(Package &package, const QString &part);

// Stores the text each of `controls` (data-bound w:sdt elements) now shows in the data it is bound to, and marks
// the parts that changed. A binding whose data part or path cannot be found or read is left alone, as Word leaves it.
void storeBoundText(Package &package, const std::vector<pugi::xml_node> &controls);

} // namespace quill
