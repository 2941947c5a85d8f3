#include "LetterGeneration.h"

#include "ErrorTrap.h"
#include "Error.h"
#include "FileHelpers.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QTime>

#include <chrono>
#include <random>

namespace quill {

namespace {

// Word's values for the find options the program sets.
constexpr int kWrapContinue = 1;
constexpr int kReplaceAll = 2;
// Arguments of Find.Execute left out between FindText and ReplaceWith.
constexpr int kOmittedFindArguments = 8;
// Digits of the result name run from 1 to 9.
constexpr int kDigitChoices = 9;

// A seed from the time of day at the clock's full resolution, so two draws a moment apart differ.
std::uint64_t timeOfDaySeed()
{
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    return static_cast<std::uint64_t>(duration_cast<nanoseconds>(now % hours(24)).count());
}

} // namespace

std::unique_ptr<QLockFile> claimWorkFiles(const QString &folder, int timeoutMs)
{
    auto lock = std::make_unique<QLockFile>(joinPath(folder, kWorkFilesLock));
    // Never stale by age: an instance whose error box waits holds its claim for as long as the box
    // is up, and where the file's native lock does not hold (a network share) an age limit would
    // hand its work files to us. A lock whose instance has gone is still removed.
    lock->setStaleLockTime(0);
    // A folder that takes no lock file takes no work file either: writing the template reports
    // that with its own, clearer words, so only a claim held by another instance is refused here.
    if (!lock->tryLock(timeoutMs) && lock->error() == QLockFile::LockFailedError)
        throw Error(Status::WorkFilesBusy, QStringLiteral("Another copy of the program is creating a letter. Please try again when it has finished."));
    return lock;
}

void refuseLinkedWorkFile(const QString &path)
{
    if (QFileInfo(path).isSymLink())
        throw Error(Status::WorkFileIsLink, QStringLiteral("The work file %1 is a link to another place and was not used.").arg(QDir::toNativeSeparators(path)));
}

QString currentDateText()
{
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

void replaceInStories(ErrorTrap &trap, const AutoObject &document, const std::vector<FieldReplacement> &fields)
{
    for (const FieldReplacement &field : fields) {
        std::vector<AutoObject> stories;
        if (!trap.run(120, [&] { stories = document.object(QStringLiteral("StoryRanges")).items(); }))
            continue;
        for (const AutoObject &story : stories) {
            AutoObject range;
            AutoObject find;
            trap.run(122, [&] { range = story; });
            trap.run(124, [&] { range.object(QStringLiteral("Find")).call(QStringLiteral("ClearFormatting")); });
            trap.run(126, [&] {
                range.object(QStringLiteral("Find")).object(QStringLiteral("Replacement")).call(QStringLiteral("ClearFormatting"));
            });
            trap.run(128, [&] { find = range.object(QStringLiteral("Find")); });
            trap.run(130, [&] { find.set(QStringLiteral("Text"), field.tag); });
            trap.run(132, [&] { find.object(QStringLiteral("Replacement")).set(QStringLiteral("Text"), field.text); });
            trap.run(134, [&] { find.set(QStringLiteral("Forward"), true); });
            trap.run(136, [&] { find.set(QStringLiteral("Wrap"), kWrapContinue); });
            trap.run(138, [&] { find.set(QStringLiteral("Format"), false); });
            trap.run(140, [&] { find.set(QStringLiteral("MatchCase"), false); });
            trap.run(142, [&] { find.set(QStringLiteral("MatchWholeWord"), false); });
            trap.run(144, [&] { find.set(QStringLiteral("MatchWildcards"), false); });
            trap.run(146, [&] { find.set(QStringLiteral("MatchSoundsLike"), false); });
            trap.run(148, [&] { find.set(QStringLiteral("MatchAllWordForms"), false); });
            trap.run(150, [&] { find.call(QStringLiteral("Execute"), {Arg(QStringLiteral("Replace"), kReplaceAll)}); });
        }
    }
}

void replaceInShapes(ErrorTrap &trap, const AutoObject &document, const std::vector<FieldReplacement> &fields)
{
    std::vector<AutoObject> shapes;
    if (!trap.run(156, [&] { shapes = document.object(QStringLiteral("Shapes")).items(); }))
        return;
    for (const AutoObject &shape : shapes) {
        const bool hasText = trap.test(158, [&] {
            const QVariant answer = shape.object(QStringLiteral("TextFrame")).get(QStringLiteral("HasText"));
            return answer.isValid() && !answer.isNull() && answer.toBool();
        });
        if (!hasText)
            continue;
        for (const FieldReplacement &field : fields) {
            trap.run(162, [&] {
                AutomationArguments arguments{Arg(field.tag)};
                arguments.insert(arguments.end(), kOmittedFindArguments, Omitted());
                arguments.push_back(Arg(field.text));
                arguments.push_back(Arg(kReplaceAll));
                shape.object(QStringLiteral("TextFrame"))
                    .object(QStringLiteral("TextRange"))
                    .object(QStringLiteral("Find"))
                    .call(QStringLiteral("Execute"), arguments);
            });
        }
    }
}

QString drawResultDocumentPath(ErrorTrap &trap, const QString &folder)
{
    QString path;
    do {
        QString name = kResultPrefix;
        for (int digit = 0; digit < kResultDigits; ++digit) {
            std::mt19937_64 generator;
            trap.run(172, [&] { generator.seed(timeOfDaySeed()); });
            int value = 1;
            trap.run(174, [&] { value = int(std::uniform_real_distribution<double>(0, 1)(generator) * kDigitChoices) + 1; });
            trap.run(176, [&] { name += QString::number(value); });
        }
        trap.run(180, [&] { path = joinPath(folder, name + kResultExtension); });
    } while (trap.test(182, [&] { return FileExists(path); }));
    return path;
}

} // namespace quill
