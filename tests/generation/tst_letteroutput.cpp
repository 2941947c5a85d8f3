// The letter as PDF and on paper: written through the word processor from a filled letter, and read back by
// poppler and qpdf as independent readers. Skipped where poppler or qpdf is not installed.
#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "FaultInjection.h"
#include "Files.h"
#include "LetterFields.h"
#include "LetterOutput.h"
#include "LetterTemplate.h"
#include "PageLines.h"
#include "WordDocument.h"

#include <QApplication>
#include <QDir>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace quill::test;

namespace {

// Values full of markup characters, right-to-left text and CJK, by field tag. (An emoji is drawn, but Qt's
// PDF writer maps no character beyond the Basic Multilingual Plane back to text.)
const std::vector<std::pair<const char *, QString>> kValues{
    {"[YourName]", QStringLiteral("Orla & \"Penhallow\" <CEO>")},
    {"[YourTitle]", QStringLiteral("Director's Office")},
    {"[RecipientName]", QStringLiteral("\u0645\u0631\u064A\u0645 \u0627\u0644\u062D\u0633\u0646")},
    {"[CompanyName]", QStringLiteral("\u6771\u4EAC\u5546\u4E8B \u682A\u5F0F\u4F1A\u793E")},
    {"[City2]", QStringLiteral("Caf\u00E9 Town")},
};

QString run(const QString &program, const QStringList &arguments, int *status = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (status)
        *status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString &pdf)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
}

int pdfPages(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption);
    return pages.match(info).captured(1).toInt();
}

} // namespace

class LetterOutputTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pdfHoldsEveryValueWithItsFontsEmbedded();
    void printingToAPdfFileGivesTheSamePages();
    void refusedTargetKeepsTheOldFile();

private:
    QTemporaryDir m_folder;
    QString m_letter;
    quill::BodyPicture m_pages; // our own page picture of the letter
};

void LetterOutputTest::initTestCase()
{
    for (const char *tool : {"pdftotext", "pdfinfo", "pdffonts", "pdftoppm", "qpdf"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed (poppler-utils, qpdf)").arg(QLatin1String(tool))));
    }
    QVERIFY(m_folder.isValid());
    const QString templatePath = m_folder.filePath(QStringLiteral("letter.dotx"));
    QVERIFY(writeFile(templatePath, quill::templateBytes()));
    const auto letter = quill::WordDocument::open(templatePath);
    for (const auto &value : kValues)
        QVERIFY(letter->replaceEverywhere(QString::fromLatin1(value.first), value.second) > 0);
    for (const quill::SampleValue &sample : quill::kSampleValues)
        letter->replaceEverywhere(QString::fromUtf8(quill::letterField(sample.index).tag), QString::fromUtf8(sample.value));
    m_letter = m_folder.filePath(QStringLiteral("letter.doc"));
    letter->saveAs(m_letter);
    m_pages = quill::renderBody(letter->layoutSources());
}

// Every typed value is text of the PDF, in fonts it embeds; qpdf finds the file sound; the pages are the
// preview's pages, in number, size and line for line.
void LetterOutputTest::pdfHoldsEveryValueWithItsFontsEmbedded()
{
    const QString pdf = m_folder.filePath(QStringLiteral("letter.pdf"));
    quill::exportLetterPdf(m_letter, pdf);

    const QString text = pdfText(pdf).simplified();
    for (const auto &value : kValues)
        QVERIFY2(text.contains(value.second.simplified()), qPrintable(value.second));
    const QStringList fonts = run(QStringLiteral("pdffonts"), {pdf}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
    QVERIFY(!fonts.isEmpty());
    for (const QString &font : fonts)
        QVERIFY2(font.mid(font.indexOf(QLatin1String("Identity-H")) + 17, 3).trimmed() == QLatin1String("yes"), qPrintable(font));
    int status = -1;
    run(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf}, &status);
    QCOMPARE(status, 0);
    QVERIFY(run(QStringLiteral("pdfinfo"), {pdf}).contains(QStringLiteral("612 x 792 pts")));

    QCOMPARE(pdfPages(pdf), m_pages.pageCount);
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("96"), QStringLiteral("-png"), pdf,
                                     m_folder.filePath(QStringLiteral("page"))});
    const QImage ours = quill::renderPicture(m_pages.picture);
    // Poppler and Qt rasterise the same glyphs a little differently.
    constexpr int kTolerance = 2;
    for (int page = 0; page < m_pages.pageCount; ++page) {
        const QImage theirs(m_folder.filePath(QStringLiteral("page-%1.png").arg(page + 1)));
        QVERIFY(!theirs.isNull());
        const std::vector<int> mine = lineTops(ours.copy(m_pages.pageRects[size_t(page)]));
        const std::vector<int> read = lineTops(theirs);
        QVERIFY2(mine.size() == read.size() && matchedLines(read, mine, kTolerance) == int(read.size()),
                 qPrintable(QStringLiteral("page %1: %2 lines in the PDF, %3 in the picture").arg(page + 1)
                                .arg(read.size()).arg(mine.size())));
    }
}

// The print path through Qt's printer, set to write a PDF file, gives the PDF's pages and text.
void LetterOutputTest::printingToAPdfFileGivesTheSamePages()
{
    const QString printed = m_folder.filePath(QStringLiteral("printed.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printed);
    printer.setFullPage(true);
    printer.setResolution(96);
    quill::printLetter(m_letter, printer);

    const QString exported = m_folder.filePath(QStringLiteral("exported.pdf"));
    quill::exportLetterPdf(m_letter, exported);
    QCOMPARE(pdfPages(printed), m_pages.pageCount);
    QCOMPARE(pdfText(printed), pdfText(exported));
}

// A PDF that cannot be written whole (the file system refuses more) leaves the file it was to replace as it was.
void LetterOutputTest::refusedTargetKeepsTheOldFile()
{
    const QString target = m_folder.filePath(QStringLiteral("kept.pdf"));
    QVERIFY(writeFile(target, "the old letter"));
    {
        const faults::FileSizeLimit limit(1024);
        QVERIFY_THROWS_EXCEPTION(quill::Error, quill::exportLetterPdf(m_letter, target));
    }
    QCOMPARE(readAll(target), QByteArray("the old letter"));
    QCOMPARE(QDir(m_folder.path()).entryList({QStringLiteral("kept.pdf*")}, QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_MAIN(LetterOutputTest)
#include "tst_letteroutput.moc"
