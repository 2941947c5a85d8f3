// The embedded letter template as LibreOffice reads and lays it out: the text holds every tag,
// and the body spans three pages with the header on the following pages only.

#include "ExpectedTags.h"
#include "LetterTemplate.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace quill;

namespace {

// How long one LibreOffice conversion or poppler call may take, in milliseconds.
constexpr int kToolTimeoutMs = 90000;
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
    // Runs `program` with `arguments`; returns its standard output, or fails the test.
    QByteArray run(const QString &program, const QStringList &arguments);
    // Converts the template with LibreOffice to `filter`; returns the path of the result.
    QString convert(const QString &filter, const QString &extension);
    // The text of page `page` of the PDF.
    QString pdfPageText(int page);

    QTemporaryDir m_dir;
    QString m_soffice;
    QString m_template;
    QString m_pdf;
};

QByteArray TestTemplateRendering::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        qWarning("%s did not finish", qPrintable(program));
        return QByteArray();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

QString TestTemplateRendering::convert(const QString &filter, const QString &extension)
{
    // A private profile, so that no user's LibreOffice settings or running instance take part.
    const QString profile = QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("profile"))).toString();
    run(m_soffice, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                    QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), m_dir.path(), m_template});
    return m_dir.filePath(QStringLiteral("letter.") + extension);
}

QString TestTemplateRendering::pdfPageText(int page)
{
    const QString number = QString::number(page);
    return QString::fromUtf8(run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), number, QStringLiteral("-l"),
                                                               number, m_pdf, QStringLiteral("-")}));
}

void TestTemplateRendering::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (m_soffice.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("LibreOffice (soffice) or poppler-utils is not installed");

    m_template = m_dir.filePath(QStringLiteral("letter.dotx"));
    QFile file(m_template);
    QVERIFY(file.open(QIODevice::WriteOnly));
    try {
        QVERIFY(file.write(templateBytes()) > 0);
    } catch (const std::runtime_error &failure) {
        QFAIL(failure.what());
    }
    file.close();

    m_pdf = convert(QStringLiteral("pdf"), QStringLiteral("pdf"));
    QVERIFY2(QFile::exists(m_pdf), "LibreOffice made no PDF of the template");
}

void TestTemplateRendering::textHoldsEveryTag()
{
    QFile text(convert(QStringLiteral("txt:Text"), QStringLiteral("txt")));
    QVERIFY2(text.open(QIODevice::ReadOnly), "LibreOffice made no text of the template");
    const QString content = QString::fromUtf8(text.readAll());

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
    const QString info = QString::fromUtf8(run(QStringLiteral("pdfinfo"), {m_pdf}));
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                                             QRegularExpression::MultilineOption).match(info);
    QVERIFY2(pages.hasMatch(), qPrintable(info));
    QCOMPARE(pages.captured(1).toInt(), kExpectedPages);
}

void TestTemplateRendering::headerOnFollowingPagesOnly()
{
    const QString first = pdfPageText(1);
    QVERIFY(first.contains(QLatin1String("[YourName]")));
    QVERIFY(!first.contains(kHeaderPrompt));
    QVERIFY(!first.contains(QLatin1String("Page 1")));

    const QString second = pdfPageText(2);
    QVERIFY(second.contains(kHeaderPrompt));
    QVERIFY(second.contains(QLatin1String("Page 2")));
    QVERIFY(second.contains(QLatin1String("[YourTitle]")));

    // The schedule opens the last page.
    const QString last = pdfPageText(kExpectedPages);
    QVERIFY(last.contains(QLatin1String("Page 3")));
    QVERIFY(last.contains(QLatin1String("[COMPANYNAME]")));
}

QTEST_GUILESS_MAIN(TestTemplateRendering)
#include "tst_templaterendering.moc"
