// Lays out the letter template's body and has LibreOffice do the same: both must give the same number of
// pages and the same words on each page. Skipped where LibreOffice or poppler is not installed.
#include "DocxParts.h"
#include "TextDocumentBuilder.h"

#include <pugixml.hpp>

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QtTest>

#include <algorithm>
#include <sstream>

namespace {

// LibreOffice needs a while to start; the conversion of a three-page letter takes a few seconds.
constexpr int kConversionTimeoutMs = 180000;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
};

void LibreOfficePagesTest::templateBodyPaginatesLikeLibreOffice()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (soffice.isEmpty() || pdftotext.isEmpty())
        QSKIP("LibreOffice (soffice) or poppler (pdftotext) is not installed");
    const QDir parts(QStringLiteral(QUILL_SOURCE_DIR "/resources/template/parts/word"));
    if (!parts.exists(QStringLiteral("document.xml")))
        QSKIP("the letter template's parts are not in the tree");

    // The body without its header and footer references: headers are not part of the body picture.
    pugi::xml_document document;
    const QByteArray documentXml = readFile(parts.filePath(QStringLiteral("document.xml")));
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

    quill::testing::DocxParts docx;
    docx.document = quill::testing::parseXml(bodyOnly);
    docx.styles = quill::testing::parseXml(readFile(parts.filePath(QStringLiteral("styles.xml"))));
    docx.settings = quill::testing::parseXml(readFile(parts.filePath(QStringLiteral("settings.xml"))));
    docx.numbering = quill::testing::parseXml(readFile(parts.filePath(QStringLiteral("numbering.xml"))));
    const quill::BuiltDocument built = quill::buildTextDocument(docx.sources());
    const QList<QStringList> ours = layoutPages(built);

    QTemporaryDir work;
    QVERIFY(work.isValid());
    const QString package = work.filePath(QStringLiteral("letter.docx"));
    QString error;
    QVERIFY2(quill::testing::writeDocx(package, bodyOnly, readFile(parts.filePath(QStringLiteral("styles.xml"))),
                                       readFile(parts.filePath(QStringLiteral("settings.xml"))),
                                       readFile(parts.filePath(QStringLiteral("numbering.xml"))), &error),
             qPrintable(error));
    // A private profile, so that a LibreOffice running elsewhere on the machine does not get in the way.
    QProcess convert;
    convert.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + work.filePath(QStringLiteral("profile")),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
                            QStringLiteral("--outdir"), work.path(), package});
    QVERIFY(convert.waitForFinished(kConversionTimeoutMs));
    const QString pdf = work.filePath(QStringLiteral("letter.pdf"));
    QVERIFY2(QFile::exists(pdf), convert.readAllStandardError().constData());

    QProcess text;
    text.start(pdftotext, {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(kConversionTimeoutMs));
    QStringList theirPages = QString::fromUtf8(text.readAllStandardOutput()).split(QLatin1Char('\f'));
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

QTEST_MAIN(LibreOfficePagesTest)
#include "tst_libreofficepages.moc"
