#include "GenerationFixture.h"

#include "ErrorTrap.h"
#include "FileHelpers.h"
#include "LetterTemplate.h"

#include <QtTest>
#include <QRegularExpression>

using namespace quill;
using namespace quill::test;

// The saved letter as an independent reader sees it: LibreOffice Writer converts it to text.
class InteropTest : public QObject
{
    Q_OBJECT

private slots:
    void libreOfficeReadsEveryTypedValue()
    {
        QTemporaryDir dir;
        std::vector<FieldReplacement> fields = sampleFields(QStringLiteral("12/7/26"));
        fields[11].text = QStringLiteral("Smith & Söhne <Holdings> \"GmbH\"");
        fields[7].text = QString(2000, QLatin1Char('n')) + QStringLiteral(" Ñandú O'Neil");

        const QString result = fillTemplate(dir.path(), fields);

        const QString text = convertToText(dir, result);
        QVERIFY2(!text.isEmpty(), "LibreOffice produced no text");
        for (const FieldReplacement &field : fields)
            QVERIFY2(text.contains(field.text), qPrintable(field.tag));
        const QRegularExpression tag(QStringLiteral("\\[[A-Za-z0-9]+\\]"));
        QVERIFY2(!tag.match(text).hasMatch(), qPrintable(tag.match(text).captured()));
    }

private:
    // Converts `path` with soffice in a private profile and returns the UTF-8 text.
    static QString convertToText(const QTemporaryDir &dir, const QString &path)
    {
        const QString profile = QUrl::fromLocalFile(dir.filePath(QStringLiteral("profile"))).toString();
        const QString outDir = dir.filePath(QStringLiteral("out"));
        QProcess soffice;
        soffice.setProcessChannelMode(QProcess::MergedChannels);
        soffice.start(QStringLiteral("soffice"),
                      {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                       QStringLiteral("--convert-to"), QStringLiteral("txt:Text (encoded):UTF8"),
                       QStringLiteral("--outdir"), outDir, path});
        if (!soffice.waitForFinished(120000))
            return QString();
        QFile text(outDir + QLatin1Char('/') + QFileInfo(path).completeBaseName() + QStringLiteral(".txt"));
        if (!text.open(QIODevice::ReadOnly))
            return QString();
        return QString::fromUtf8(text.readAll());
    }
};

QTEST_GUILESS_MAIN(InteropTest)
#include "tst_interop.moc"
