#pragma once

#include "Automation.h"
#include "LetterFields.h"
#include "LetterGeneration.h"

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
