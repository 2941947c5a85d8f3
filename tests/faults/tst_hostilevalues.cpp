#include "LibreOffice.h"
#include "ProgramFixture.h"

using namespace quill;
using namespace quill::test;

namespace {

// The length of the longest values (characters).
constexpr int kLongValue = 10000;

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

} // namespace

// Very long values and values full of markup characters and other scripts: kept exactly in the
// settings, and the saved letter holds them exactly as LibreOffice reads it.
class HostileValuesTest : public QObject
{
    Q_OBJECT

private slots:
    void hostileValuesSurviveTheWholeRoad()
    {
        ProgramFixture fixture;
        QVERIFY(fixture.start());
        const QStringList values = hostileValues();
        for (int index = 0; index < kTypedFieldCount; ++index)
            fixture.form().field(index)->setText(values[index]);
        // One value typed key by key, as a user would.
        fixture.typeInto(3, values[3]);

        for (int index = 0; index < kTypedFieldCount; ++index)
            QCOMPARE(ProgramFixture::storedField(index), values[index]);
        QVERIFY(fixture.start());
        for (int index = 0; index < kTypedFieldCount; ++index)
            QCOMPARE(fixture.form().field(index)->text(), values[index]);

        fixture.clickGenerate();
        QVERIFY2(fixture.boxes().isEmpty(), qPrintable(fixture.boxTexts()));
        QVERIFY(fixture.previewShown());
        const QString saved = QDir(fixture.scratchPath()).filePath(QStringLiteral("Angebot für <Zoë> & Co.doc"));
        fixture.clickSave(saved);
        QCOMPARE(fixture.boxes().size(), 1);
        QCOMPARE(fixture.boxes().first().text, QStringLiteral("Done."));

        QUILL_SKIP_WITHOUT_LIBREOFFICE(LibreOffice::Tools::Writer);
        LibreOffice libreOffice(fixture.scratchPath());
        const QString text = libreOffice.text(saved);
        QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("LibreOffice could not read the saved letter: ") + libreOffice.error()));
        for (int index = 0; index < kTypedFieldCount; ++index)
            QVERIFY2(text.contains(values[index]), qPrintable(QStringLiteral("field %1").arg(index)));
        QVERIFY2(!text.contains(QStringLiteral("&amp;amp;")), "markup was escaped twice");
    }
};

QTEST_MAIN(HostileValuesTest)
#include "tst_hostilevalues.moc"
