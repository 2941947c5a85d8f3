#pragma once

#include "Automation.h"

#include <QString>

#include <memory>
#include <vector>

class QLockFile;

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

// The lock file in the temporary folder that claims its work files and the clipboard.
inline const QString kWorkFilesLock = QStringLiteral("quillfern-work.lock");
// How long an instance waits for work files that another instance has claimed (milliseconds).
constexpr int kClaimTimeoutMs = 30000;

// Claims the work files of `folder` for one generation: another instance of the program that
// generates at the same time waits up to `timeoutMs` until this one has finished with them. A claim
// is never taken from a running instance, however long it has been held; only one whose instance is
// gone is removed. Throws Error when the work files stay claimed by another instance.
std::unique_ptr<QLockFile> claimWorkFiles(const QString &folder, int timeoutMs = kClaimTimeoutMs);

// Throws Error when the template work file at `path` is a link: it would lead outside the
// temporary folder, so it is never used (the clean-up removes the link itself).
void refuseLinkedWorkFile(const QString &path);

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
