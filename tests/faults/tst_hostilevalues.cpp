#include "FaultFixture.h"

#include <QProcess>
#include <QUrl>

using namespace quill;
using namespace quill::test;

namespace {

// The length of the longest values (characters).
constexpr int kLongValue = 10000;
// How long LibreOffice may take to convert the letter (milliseconds).
constexpr int kConversionTimeout = 240000;

QString repeatedTo(const QString &piece, int length)
{
    QString text;
    while (text.size() < length)
        text += piece;
    text.truncate(length);
    // A value never ends inside a surrogate pair.
    if (text.back().isHighSurrogate())
        text.back() = QLatin1Char('x');
    return text;
}

// The values typed into the thirteen fields: markup characters, many scripts, and two very long ones.
QStringList hostileValues()
{
    return {
        repeatedTo(QStringLiteral("Ann & <Bob> \"Cy\" 'Di' Ünal "), kLongValue),
        QStringLiteral("1 <b>Main</b> St & \"Co\" 'Ltd' &amp; &lt; ]]> <!-- -->"),
        QStringLiteral("Zürich – Ærø – Łódź – İstanbul"),
        QStringLiteral("N&S"),
        QStringLiteral("<0815>"),
        QStringLiteral("'Ms' \"Dr\" ß ẞ ﬁ"),
        QStringLiteral("שלום עולם مرحبا بالعالم"),
        QStringLiteral("株式会社 “引号” 한국어 😀👍🏽 e\u0301"),
        repeatedTo(QStringLiteral("Straße & <Gasse> \"7\" 'b' 😀 "), kLongValue),
        QStringLiteral("Saint-Étienne <FR>"),
        QStringLiteral("&&"),
        QStringLiteral("\"<>\""),
        QStringLiteral("Ⅻ № ¼ ±"),
    };
}

// The letter at `path` as LibreOffice Writer reads it, as UTF-8 text; empty when it could not.
QString convertedText(const QString &path, const QString &work)
{
    const QString profile = QUrl::fromLocalFile(QDir(work).filePath(QStringLiteral("profile"))).toString();
    const QString out = QDir(work).filePath(QStringLiteral("out"));
    QProcess soffice;
    soffice.setProcessChannelMode(QProcess::MergedChannels);
    soffice.start(QStringLiteral("soffice"),
                  {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                   QStringLiteral("--convert-to"), QStringLiteral("txt:Text (encoded):UTF8"),
                   QStringLiteral("--outdir"), out, path});
    if (!soffice.waitForFinished(kConversionTimeout))
        return QString();
    return QString::fromUtf8(readAll(QDir(out).filePath(QFileInfo(path).completeBaseName() + QStringLiteral(".txt"))));
}

} // namespace

// Very long values and values full of markup characters and other scripts: kept exactly in the
// settings, and the saved letter holds them exactly as LibreOffice reads it.
class HostileValuesTest : public QObject
{
    Q_OBJECT

private slots:
    void hostileValuesSurviveTheWholeRoad()
    {
        FaultFixture fixture;
        fixture.start();
        const QStringList values = hostileValues();
        for (int index = 0; index < kTypedFieldCount; ++index)
            fixture.form().field(index)->setText(values[index]);
        // One value typed key by key, as a user would.
        fixture.typeInto(3, values[3]);

        for (int index = 0; index < kTypedFieldCount; ++index)
            QCOMPARE(FaultFixture::storedField(index), values[index]);
        fixture.start();
        for (int index = 0; index < kTypedFieldCount; ++index)
            QCOMPARE(fixture.form().field(index)->text(), values[index]);

        fixture.clickGenerate();
        QVERIFY2(fixture.boxes().isEmpty(), qPrintable(fixture.boxTexts()));
        QVERIFY(fixture.previewShown());
        const QString saved = QDir(fixture.scratchPath()).filePath(QStringLiteral("Angebot für <Zoë> & Co.doc"));
        fixture.clickSave(saved);
        QCOMPARE(fixture.boxes().size(), 1);
        QCOMPARE(fixture.boxes().first().text, QStringLiteral("Done."));

        const QString text = convertedText(saved, fixture.scratchPath());
        QVERIFY2(!text.isEmpty(), "LibreOffice could not read the saved letter");
        for (int index = 0; index < kTypedFieldCount; ++index)
            QVERIFY2(text.contains(values[index]), qPrintable(QStringLiteral("field %1").arg(index)));
        QVERIFY2(!text.contains(QStringLiteral("&amp;amp;")), "markup was escaped twice");
    }
};

QTEST_MAIN(HostileValuesTest)
#include "tst_hostilevalues.moc"
