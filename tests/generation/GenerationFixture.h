#pragma once

#include "Automation.h"
#include "ErrorTrap.h"
#include "FileHelpers.h"
#include "LetterFields.h"
#include "LetterGeneration.h"
#include "LetterTemplate.h"

#include <QString>

#include <vector>

namespace quill::test {

// The fourteen fields with the example data and a date, as generation would read them from the form.
inline std::vector<FieldReplacement> sampleFields(const QString &date = QStringLiteral("12/7/26"))
{
    std::vector<FieldReplacement> fields(kFieldCount);
    for (const LetterField &field : kLetterFields)
        fields[field.index].tag = QString::fromLatin1(field.tag);
    for (const SampleValue &sample : kSampleValues)
        fields[sample.index].text = QString::fromUtf8(sample.value);
    fields[kDateField].text = date;
    return fields;
}

// Generation's fill and save in `folder`, through the automation layer exactly as the main window
// calls it; returns the saved letter's path.
inline QString fillTemplate(const QString &folder, const std::vector<FieldReplacement> &fields)
{
    const QString templatePath = joinPath(folder, kTemplateWorkFile);
    DeleteFileQuietly(templatePath);
    WriteBytesIfAbsent(templateBytes(), templatePath);
    ErrorTrap trap(QStringLiteral("in test "));
    AutoObject word = CreateObject(QStringLiteral("Word.Application"));
    AutoObject document = word.object(QStringLiteral("Documents"))
                              .callObject(QStringLiteral("Open"), {Arg(templatePath), Arg(QStringLiteral("ReadOnly"), true)});
    replaceInStories(trap, document, fields);
    replaceInShapes(trap, document, fields);
    const QString result = drawResultDocumentPath(trap, folder);
    document.call(QStringLiteral("SaveAs"), {Arg(result)});
    word.set(QStringLiteral("DisplayAlerts"), false);
    document.call(QStringLiteral("Close"));
    word.call(QStringLiteral("Quit"));
    DeleteFileQuietly(templatePath);
    return result;
}

// The text of every story of the document at `path`, opened through the engine, story by story.
inline QStringList storyTexts(const QString &path)
{
    AutoObject word = CreateObject(QStringLiteral("Word.Application"));
    AutoObject document = word.object(QStringLiteral("Documents")).callObject(QStringLiteral("Open"), {Arg(path)});
    QStringList texts;
    for (const AutoObject &story : document.object(QStringLiteral("StoryRanges")).items())
        texts << story.get(QStringLiteral("Text")).toString();
    document.call(QStringLiteral("Close"), {Arg(0)});
    word.call(QStringLiteral("Quit"));
    return texts;
}

} // namespace quill::test
