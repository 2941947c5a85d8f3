// The embedded letter template as LibreOffice reads and lays it out: the text holds every tag,
// and the body spans three pages with the header on the following pages only.

#include "ExpectedTags.h"
#include "LetterTemplate.h"
#include "LibreOffice.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace quill;

namespace {

// Pages of the laid-out body: two of letter and response, one of schedule.
constexpr int kExpectedPages = 3;
// The click-to-fill prompt of the following pages' header.
const QString kHeaderPrompt = QStringLiteral("[Recipient Name]");

} // namespace

class TestTemplateRendering : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void textHoldsEveryTag();
    void bodySpansThreePages();
    void headerOnFollowingPagesOnly();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<test::LibreOffice> m_libreOffice;
    QString m_template;
    QString m_pdf;
};

void TestTemplateRendering::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QUILL_SKIP_WITHOUT_LIBREOFFICE(test::LibreOffice::Tools::WriterAndPoppler);
    m_libreOffice = std::make_unique<test::LibreOffice>(m_dir.path());

    m_template = m_dir.filePath(QStringLiteral("letter.dotx"));
    QFile file(m_template);
    QVERIFY(file.open(QIODevice::WriteOnly));
    try {
        QVERIFY(file.write(templateBytes()) > 0);
    } catch (const std::runtime_error &failure) {
        QFAIL(failure.what());
    }
    file.close();

    m_pdf = m_libreOffice->pdf(m_template);
    QVERIFY2(QFile::exists(m_pdf), qPrintable(QStringLiteral("LibreOffice made no PDF of the template: ") + m_libreOffice->error()));
}

void TestTemplateRendering::textHoldsEveryTag()
{
    const QString content = m_libreOffice->text(m_template);
    QVERIFY2(!content.isEmpty(), qPrintable(QStringLiteral("LibreOffice made no text of the template: ") + m_libreOffice->error()));

    // The text export holds the body only: each tag as often as the body has it, split runs joined.
    QStringList expected = test::kBodyTags;
    expected.sort();
    QStringList found;
    for (const QRegularExpressionMatch &match :
         QRegularExpression(QString::fromLatin1(test::kTagPattern)).globalMatch(content))
        found << match.captured();
    found.sort();
    QCOMPARE(found, expected);
}

void TestTemplateRendering::bodySpansThreePages()
{
    const int pages = m_libreOffice->pdfPageCount(m_pdf);
    QVERIFY2(pages >= 0, qPrintable(m_libreOffice->error()));
    QCOMPARE(pages, kExpectedPages);
}

void TestTemplateRendering::headerOnFollowingPagesOnly()
{
    const QString first = m_libreOffice->pdfText(m_pdf, 1);
    QVERIFY(first.contains(QLatin1String("[YourName]")));
    QVERIFY(!first.contains(kHeaderPrompt));
    QVERIFY(!first.contains(QLatin1String("Page 1")));

    const QString second = m_libreOffice->pdfText(m_pdf, 2);
    QVERIFY(second.contains(kHeaderPrompt));
    QVERIFY(second.contains(QLatin1String("Page 2")));
    QVERIFY(second.contains(QLatin1String("[YourTitle]")));

    // The schedule opens the last page.
    const QString last = m_libreOffice->pdfText(m_pdf, kExpectedPages);
    QVERIFY(last.contains(QLatin1String("Page 3")));
    QVERIFY(last.contains(QLatin1String("[COMPANYNAME]")));
}

QTEST_GUILESS_MAIN(TestTemplateRendering)
#include "tst_templaterendering.moc"
