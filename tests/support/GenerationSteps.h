#pragma once

#include "LetterGeneration.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace quill::test {

// The fourteen fields with the example data and a date, as generation would read them from the form.
std::vector<FieldReplacement> sampleFields(const QString &date = QStringLiteral("12/7/26"));

// Generation's fill and save in `folder`, through the automation layer exactly as the main window
// calls it; returns the saved letter's path.
QString fillTemplate(const QString &folder, const std::vector<FieldReplacement> &fields);

// The text of every story of the document at `path`, opened through the engine, story by story.
QStringList storyTexts(const QString &path);

} // namespace quill::test
