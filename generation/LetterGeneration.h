#pragma once

#include "Automation.h"

#include <QString>

#include <vector>

namespace quill {

class ErrorTrap;

// The work file the template is written to, in the temporary folder.
inline const QString kTemplateWorkFile = QStringLiteral("template.dot");
// The work file the page snapshot is written to, in the temporary folder.
inline const QString kSnapshotWorkFile = QStringLiteral("temp.bmp");
// The result document's name: this prefix, eight digits 1 to 9, and the extension.
inline const QString kResultPrefix = QStringLiteral("zatlec");
inline const QString kResultExtension = QStringLiteral(".doc");
constexpr int kResultDigits = 8;

// One field's placeholder tag and the text that replaces it.
struct FieldReplacement
{
    QString tag;
    QString text;
};

// Today's date as the system's short date text.
QString currentDateText();

// Replaces each field's tag, field by field in the given order, in the first range of every story
// of `document` (a literal replace-all that ignores letter case). Each step is numbered for `trap`.
void replaceInStories(ErrorTrap &trap, const AutoObject &document, const std::vector<FieldReplacement> &fields);

// Replaces each field's tag in the text of every shape of `document` that holds text.
void replaceInShapes(ErrorTrap &trap, const AutoObject &document, const std::vector<FieldReplacement> &fields);

// A new result document path in `folder`: "zatlec", eight digits 1 to 9, ".doc", never naming an existing file.
// The generator is re-seeded from the time of day before each digit.
QString drawResultDocumentPath(ErrorTrap &trap, const QString &folder);

} // namespace quill
