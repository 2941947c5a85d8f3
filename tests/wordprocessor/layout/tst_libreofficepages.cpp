// Lays out the letter template's body, and a Calibri paragraph, and has LibreOffice do the same: both must give the
// same number of pages and the same words on each page, and the same lines. Skipped where LibreOffice or poppler
// is not installed.
#include "DocxParts.h"
#include "Files.h"
#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "LetterFields.h"
#include "LetterTemplate.h"
#include "LibreOffice.h"
#include "PageLines.h"
#include "TextDocumentBuilder.h"
#include "WordDocument.h"

#include <pugixml.hpp>

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QGlyphRun>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QtTest>

#include <algorithm>
#include <sstream>

using namespace quill::test;

namespace {

// The words of a text, lower-cased, in order (Word's capitals are a display property).
QStringList words(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[\\s\\x{2028}\\x{200B}]+"));
    QStringList result = text.toLower().split(separators, Qt::SkipEmptyParts);
    return result;
}

// Words on each page of our layout, every paragraph (in tables too) line by line.
QList<QStringList> layoutPages(const quill::BuiltDocument &built)
{
    QList<QStringList> pages(built.pageCount());
    const qreal pageHeight = built.page.pageSize.height() * built.deviceScale;
    for (const quill::PageRun &run : built.runs) {
        QAbstractTextDocumentLayout *layout = run.document->documentLayout();
        for (QTextBlock block = run.document->begin(); block.isValid(); block = block.next()) {
            const QRectF rect = layout->blockBoundingRect(block);
            for (int i = 0; i < block.layout()->lineCount(); ++i) {
                const QTextLine line = block.layout()->lineAt(i);
                const qreal middle = rect.top() + line.y() + line.height() / 2;
                const int page = run.firstPage + static_cast<int>(middle / pageHeight);
                if (page >= 0 && page < pages.size())
                    pages[page] += words(block.text().mid(line.textStart(), line.textLength()));
            }
        }
    }
    return pages;
}

QString difference(QStringList ours, QStringList theirs)
{
    std::sort(ours.begin(), ours.end());
    std::sort(theirs.begin(), theirs.end());
    QStringList onlyOurs;
    QStringList onlyTheirs;
    std::set_difference(ours.begin(), ours.end(), theirs.begin(), theirs.end(), std::back_inserter(onlyOurs));
    std::set_difference(theirs.begin(), theirs.end(), ours.begin(), ours.end(), std::back_inserter(onlyTheirs));
    return QStringLiteral("only ours: [%1]; only LibreOffice's: [%2]")
        .arg(onlyOurs.join(QLatin1Char(' ')), onlyTheirs.join(QLatin1Char(' ')));
}

} // namespace

class LibreOfficePagesTest : public QObject
{
    Q_OBJECT

private slots:
    void templateBodyPaginatesLikeLibreOffice();
    void filledLetterPagesLineUpWithLibreOffice();
    void calibriParagraphBreaksLikeLibreOffice();
};

void LibreOfficePagesTest::templateBodyPaginatesLikeLibreOffice()
{
    QUILL_SKIP_WITHOUT_LIBREOFFICE(LibreOffice::Tools::WriterAndPoppler);
    const QDir parts(QStringLiteral(QUILL_TEMPLATE_PARTS_DIR "/word"));
    QVERIFY2(parts.exists(QStringLiteral("document.xml")), qPrintable(parts.path()));

    // The body without its header and footer references: headers are not part of the body picture.
    pugi::xml_document document;
    const QByteArray documentXml = readAll(parts.filePath(QStringLiteral("document.xml")));
    QVERIFY(document.load_buffer(documentXml.constData(), documentXml.size(),
                                 pugi::parse_default | pugi::parse_ws_pcdata_single));
    const pugi::xml_node body = document.document_element().child("w:body");
    for (pugi::xml_node section : body.children("w:sectPr")) {
        while (pugi::xml_node reference = section.child("w:headerReference"))
            section.remove_child(reference);
        while (pugi::xml_node reference = section.child("w:footerReference"))
            section.remove_child(reference);
        section.remove_child("w:titlePg");
    }
    std::ostringstream stream;
    document.save(stream, "", pugi::format_raw);
    const QByteArray bodyOnly = QByteArray::fromStdString(stream.str());

    DocxParts docx;
    docx.document = parseXml(bodyOnly);
    docx.styles = parseXml(readAll(parts.filePath(QStringLiteral("styles.xml"))));
    docx.settings = parseXml(readAll(parts.filePath(QStringLiteral("settings.xml"))));
    docx.numbering = parseXml(readAll(parts.filePath(QStringLiteral("numbering.xml"))));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QList<QStringList> ours = layoutPages(built);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString package = work.filePath(QStringLiteral("letter.docx"));
    QString error;
    QVERIFY2(writeDocx(package, bodyOnly, readAll(parts.filePath(QStringLiteral("styles.xml"))),
                       readAll(parts.filePath(QStringLiteral("settings.xml"))),
                       readAll(parts.filePath(QStringLiteral("numbering.xml"))), &error),
             qPrintable(error));
    LibreOffice libreOffice(work.path());
    const QString pdf = libreOffice.pdf(package);
    QVERIFY2(!pdf.isEmpty(), qPrintable(libreOffice.error()));

    const QString text = libreOffice.pdfText(pdf);
    QVERIFY2(libreOffice.error().isEmpty(), qPrintable(libreOffice.error()));
    QStringList theirPages = text.split(QLatin1Char('\f'));
    if (!theirPages.isEmpty() && theirPages.last().trimmed().isEmpty())
        theirPages.removeLast();

    QCOMPARE(ours.size(), theirPages.size());
    for (int page = 0; page < ours.size(); ++page) {
        QStringList mine = ours[page];
        QStringList theirs = words(theirPages[page]);
        std::sort(mine.begin(), mine.end());
        std::sort(theirs.begin(), theirs.end());
        QVERIFY2(mine == theirs, qPrintable(QStringLiteral("page %1: %2").arg(page + 1).arg(difference(mine, theirs))));
    }
}

// The filled letter, whole pages with their headers: every text line LibreOffice draws has one of ours within
// 2 px and we draw no line it does not, on every page of our picture and of our PDF; the first page shows no header, the later ones the
// header with the recipient's field, the template's creation date and the page number.
void LibreOfficePagesTest::filledLetterPagesLineUpWithLibreOffice()
{
    QUILL_SKIP_WITHOUT_LIBREOFFICE(LibreOffice::Tools::WriterAndPoppler);
    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString templatePath = work.filePath(QStringLiteral("letter.dotx"));
    QVERIFY(writeFile(templatePath, quill::templateBytes()));
    const auto letter = quill::WordDocument::open(templatePath);
    for (const quill::SampleValue &sample : quill::kSampleValues)
        letter->replaceEverywhere(QString::fromUtf8(quill::letterField(sample.index).tag), QString::fromUtf8(sample.value));
    letter->replaceEverywhere(QString::fromUtf8(quill::letterField(quill::kDateField).tag), QStringLiteral("December 8, 2026"));
    const QString saved = work.filePath(QStringLiteral("letter.docx"));
    letter->saveAs(saved);

    const quill::BodyPicture ours = quill::renderBody(letter->layoutSources());
    const QImage oursImage = quill::renderPicture(ours.picture);
    LibreOffice libreOffice(work.path());
    const QString pdf = libreOffice.pdf(saved);
    QVERIFY2(!pdf.isEmpty(), qPrintable(libreOffice.error()));
    const QList<QImage> theirs = libreOffice.pdfPages(pdf);
    QVERIFY2(!theirs.isEmpty(), qPrintable(libreOffice.error()));
    QCOMPARE(ours.pageCount, theirs.size());

    // Our PDF of the same letter, read by poppler, beside LibreOffice's.
    const QString ourPdf = work.filePath(QStringLiteral("ours.pdf"));
    letter->exportPdf(ourPdf);
    const QList<QImage> ourPdfPages = libreOffice.pdfPages(ourPdf);
    QCOMPARE(ourPdfPages.size(), theirs.size());

    constexpr int kTolerance = 2;
    for (int page = 0; page < ours.pageCount; ++page) {
        const std::vector<int> reference = lineTops(theirs[page]);
        for (const QImage &image : {oursImage.copy(ours.pageRects[size_t(page)]), ourPdfPages[page]}) {
            const std::vector<int> mine = lineTops(image);
            QVERIFY2(matchedLines(reference, mine, kTolerance) == int(reference.size())
                         && matchedLines(mine, reference, kTolerance) == int(mine.size()),
                     qPrintable(QStringLiteral("page %1: ours %2 lines, LibreOffice's %3").arg(page + 1)
                                    .arg(mine.size()).arg(reference.size())));
        }
        const QString text = libreOffice.pdfText(pdf, page + 1);
        const bool headed = page > 0;
        QCOMPARE(text.contains(QStringLiteral("[Recipient Name]")), headed);
        QCOMPARE(text.contains(QStringLiteral("Page %1").arg(page + 1)), headed);
        QCOMPARE(text.contains(QStringLiteral("March 4, 2024")), headed);
        // The header's three lines lie above the body's top margin (one inch): nothing is drawn there on page 1.
        const QRect place = ours.pageRects[size_t(page)];
        const std::vector<int> headerLines = lineTops(oursImage.copy(place.x(), place.y(), place.width(), 90));
        QCOMPARE(int(headerLines.size()), headed ? 3 : 0);
    }
}

void LibreOfficePagesTest::calibriParagraphBreaksLikeLibreOffice()
{
    QUILL_SKIP_WITHOUT_LIBREOFFICE(LibreOffice::Tools::WriterAndPoppler);
    // A letter's opening in Calibri 11 pt, the font of most Word documents: with Carlito standing in for it, each
    // line must end at the same word as LibreOffice's. The recipient's Chinese name must be drawn as well.
    const QString name = QStringLiteral("\u738B\u5C0F\u660E");
    const QString sentence = QStringLiteral("we are pleased to submit our proposal for the renovation of your offices, "
                                            "including the removal of the existing partitions and a new layout of the "
                                            "reception area, the meeting rooms and the kitchen. ");
    const QString text = QStringLiteral("Dear %1, ").arg(name) + sentence.repeated(4);
    const QByteArray documentXml = QStringLiteral(
        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)"
        R"(<w:p><w:r><w:t xml:space="preserve">%1</w:t></w:r></w:p>)"
        R"(<w:sectPr><w:pgSz w:w="12240" w:h="15840"/><w:pgMar w:top="1440" w:right="1440" w:bottom="1440" w:left="1440"/></w:sectPr>)"
        R"(</w:body></w:document>)").arg(text).toUtf8();
    const QByteArray stylesXml =
        R"(<w:styles xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:docDefaults>)"
        R"(<w:rPrDefault><w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri" w:eastAsia="Calibri"/><w:sz w:val="22"/></w:rPr></w:rPrDefault>)"
        R"(</w:docDefaults></w:styles>)";

    DocxParts docx;
    docx.document = parseXml(documentXml);
    docx.styles = parseXml(stylesXml);
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QTextBlock block = built.runs.front().document->begin();
    QStringList ourLines;
    for (int index = 0; index < block.layout()->lineCount(); ++index) {
        const QTextLine line = block.layout()->lineAt(index);
        ourLines += words(block.text().mid(line.textStart(), line.textLength())).join(QLatin1Char(' '));
    }
    QVERIFY2(ourLines.size() > 4, "the paragraph must wrap over several lines");
    const QList<QGlyphRun> nameGlyphs = block.layout()->glyphRuns(int(block.text().indexOf(name)), int(name.size()));
    int drawn = 0;
    for (const QGlyphRun &run : nameGlyphs)
        drawn += int(std::count_if(run.glyphIndexes().cbegin(), run.glyphIndexes().cend(), [](quint32 glyph) { return glyph != 0; }));
    QCOMPARE(drawn, int(name.size()));

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString package = work.filePath(QStringLiteral("calibri.docx"));
    QString error;
    QVERIFY2(writeDocx(package, documentXml, stylesXml, QByteArray(), QByteArray(), &error), qPrintable(error));
    LibreOffice libreOffice(work.path());
    const QString pdf = libreOffice.pdf(package);
    QVERIFY2(!pdf.isEmpty(), qPrintable(libreOffice.error()));
    QStringList theirLines;
    for (const QString &line : libreOffice.pdfText(pdf, 1).split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            theirLines += words(line).join(QLatin1Char(' '));
    }
    QCOMPARE(ourLines, theirLines);
}

QTEST_MAIN(LibreOfficePagesTest)
#include "tst_libreofficepages.moc"
