#include "GenerationSteps.h"

#include "Automation.h"
#include "ErrorTrap.h"
#include "FileHelpers.h"
#include "LetterFields.h"
#include "LetterTemplate.h"

namespace quill::test {

std::vector<FieldReplacement> sampleFields(const QString &date)
{
    std::vector<FieldReplacement> fields(kFieldCount);
    for (const LetterField &field : kLetterFields)
        fields[field.index].tag = QString::fromLatin1(field.tag);
    for (const SampleValue &sample : kSampleValues)
        fields[sample.index].text = QString::fromUtf8(sample.value);
    fields[kDateField].text = date;
    return fields;
}

QString fillTemplate(const QString &folder, const std::vector<FieldReplacement> &fields)
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

QStringList storyTexts(const QString &path)
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
