// Developer tool behind tools/corpus.sh: what the engine makes of one real document.
//   corpus_check fill FILE.docx WORKDIR
//       Opens the document through the automation layer as generation does, picks a word of its main
//       text, replaces it in every story and shape, saves WORKDIR/ours.docx and draws the original's
//       pages as WORKDIR/ours-N.png (96 dpi). Prints "word=W pages=N". Exit 0, or 1 with the
//       engine's message on standard error when the document is refused.
//   corpus_check lines REFERENCE.png OURS.png
//       Prints "R M": the text lines of the reference page and how many of them have a line of ours
//       within the tolerance.
#include "Automation.h"
#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "ErrorTrap.h"
#include "LetterGeneration.h"
#include "PageLines.h"
#include "WordDocument.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QTextStream>

#include <vector>

namespace {

// What replaces the chosen word: no letter of it is a letter of a real word's neighbourhood.
const QString kReplacement = QStringLiteral("Qxzv");
// The shortest word that counts as a word to replace, and the fallback when a document has none.
constexpr int kPreferredWordLength = 5;
constexpr int kShortestWordLength = 3;
// Lines match when their tops lie at most this far apart (logical pixels at 96 dpi).
constexpr int kLineTolerance = 4;

QString chooseWord(const QString &text)
{
    for (const int length : {kPreferredWordLength, kShortestWordLength}) {
        const QRegularExpression word(QStringLiteral("\\b[A-Za-z]{%1,}\\b").arg(length));
        const QRegularExpressionMatch match = word.match(text);
        if (match.hasMatch())
            return match.captured();
    }
    return QString();
}

int compareLines(const QString &referencePath, const QString &oursPath)
{
    const std::vector<int> reference = quill::test::lineTops(QImage(referencePath));
    const QImage oursImage(oursPath);
    const std::vector<int> ours = oursImage.isNull() ? std::vector<int>() : quill::test::lineTops(oursImage);
    const int matched = quill::test::matchedLines(reference, ours, kLineTolerance);
    QTextStream(stdout) << reference.size() << ' ' << matched << '\n';
    return 0;
}

int fill(const QString &path, const QString &workFolder)
{
    QTextStream out(stdout);
    quill::ErrorTrap trap(QStringLiteral("in corpus_check "));
    try {
        quill::AutoObject word = quill::CreateObject(QStringLiteral("Word.Application"));
        quill::AutoObject document = word.object(QStringLiteral("Documents"))
                                         .callObject(QStringLiteral("Open"), {quill::Arg(path), quill::Arg(QStringLiteral("ReadOnly"), true)});
        const QString text = document.callObject(QStringLiteral("Range")).get(QStringLiteral("Text")).toString();
        const QString chosen = chooseWord(text);
        if (!chosen.isEmpty()) {
            const std::vector<quill::FieldReplacement> fields{{chosen, kReplacement}};
            quill::replaceInStories(trap, document, fields);
            quill::replaceInShapes(trap, document, fields);
        }
        document.call(QStringLiteral("SaveAs"), {quill::Arg(QDir(workFolder).filePath(QStringLiteral("ours.docx")))});
        document.call(QStringLiteral("Close"), {quill::Arg(0)});
        word.call(QStringLiteral("Quit"));

        const auto original = quill::WordDocument::open(path, true);
        const quill::BodyPicture body = quill::renderBody(original->layoutSources());
        const QImage all = quill::renderPicture(body.picture, 1.0);
        for (int page = 0; page < body.pageCount; ++page) {
            const QRect &place = body.pageRects[size_t(page)];
            const QImage image = all.copy(place);
            image.save(QDir(workFolder).filePath(QStringLiteral("ours-%1.png").arg(page + 1)));
        }
        out << "word=" << (chosen.isEmpty() ? QStringLiteral("-") : chosen) << " pages=" << body.pageCount << '\n';
        return 0;
    } catch (const quill::Error &error) {
        QTextStream(stderr) << quill::statusName(error.status()) << ": " << error.description() << '\n';
        return 1;
    }
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("fill"))
        return fill(arguments.at(2), arguments.at(3));
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("lines"))
        return compareLines(arguments.at(2), arguments.at(3));
    QTextStream(stderr) << "usage: corpus_check fill FILE.docx WORKDIR | corpus_check lines REFERENCE.png OURS.png\n";
    return 2;
}
