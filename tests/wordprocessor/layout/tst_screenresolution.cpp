// The body's pages never depend on the screen: the letter laid out in a process whose screen has another
// resolution (QT_FONT_DPI) draws the same pixels as in this one. The test runs itself as that process.

#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "DocxParts.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using quill::test::DocxParts;
using quill::test::parseXml;

namespace {

// Given as the first argument, the test binary renders the letter's body to the PNG file named next.
constexpr char kRenderOption[] = "--render-letter-body";
// How long the child process may take to start Qt and render three pages, in milliseconds.
constexpr int kChildTimeoutMs = 60000;

QByteArray readPart(const QDir &folder, const char *name)
{
    QFile file(folder.filePath(QString::fromLatin1(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The letter template's body drawn page under page, one image pixel per logical pixel.
QImage renderLetterBody()
{
    const QDir folder(QStringLiteral(QUILL_SOURCE_DIR "/resources/template/parts/word"));
    DocxParts parts;
    parts.document = parseXml(readPart(folder, "document.xml"));
    parts.styles = parseXml(readPart(folder, "styles.xml"));
    parts.settings = parseXml(readPart(folder, "settings.xml"));
    if (!parts.document)
        return QImage();
    return quill::renderPicture(quill::renderBody(parts.sources()).picture).convertToFormat(QImage::Format_RGB32);
}

} // namespace

class ScreenResolutionTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesIgnoreTheScreenResolution_data();
    void pagesIgnoreTheScreenResolution();

private:
    QImage m_reference;
    QTemporaryDir m_dir;
};

void ScreenResolutionTest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_reference = renderLetterBody();
    QVERIFY(!m_reference.isNull());
}

void ScreenResolutionTest::pagesIgnoreTheScreenResolution_data()
{
    QTest::addColumn<QStringList>("environment");
    // Qt turns a font resolution into a device pixel ratio, the screen's logical resolution stays 96 dpi.
    QTest::newRow("144 dpi, scaled") << QStringList{QStringLiteral("QT_FONT_DPI=144")};
    // Without high-resolution scaling the screen's logical resolution itself is 144 dpi.
    QTest::newRow("144 dpi, unscaled") << QStringList{QStringLiteral("QT_FONT_DPI=144"),
                                                      QStringLiteral("QT_ENABLE_HIGHDPI_SCALING=0")};
}

void ScreenResolutionTest::pagesIgnoreTheScreenResolution()
{
    QFETCH(QStringList, environment);
    const QString output = m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'_') + QStringLiteral(".png"));
    QProcess child;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    for (const QString &assignment : environment)
        variables.insert(assignment.section(u'=', 0, 0), assignment.section(u'=', 1));
    child.setProcessEnvironment(variables);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kRenderOption), output});
    QVERIFY2(child.waitForFinished(kChildTimeoutMs), "the rendering process did not finish");
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);

    const QImage other = QImage(output).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(other.size(), m_reference.size());
    QVERIFY2(other == m_reference, "the pages differ from those drawn at the default resolution");
}

int main(int argc, char **argv)
{
    if (argc == 3 && qstrcmp(argv[1], kRenderOption) == 0) {
        QGuiApplication app(argc, argv);
        const QImage image = renderLetterBody();
        return !image.isNull() && image.save(QString::fromLocal8Bit(argv[2])) ? EXIT_SUCCESS : EXIT_FAILURE;
    }
    QGuiApplication app(argc, argv);
    ScreenResolutionTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_screenresolution.moc"
