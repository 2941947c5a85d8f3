#include "GenerationSteps.h"
#include "LibreOffice.h"

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
        QUILL_SKIP_WITHOUT_LIBREOFFICE(LibreOffice::Tools::Writer);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        std::vector<FieldReplacement> fields = sampleFields(QStringLiteral("12/7/26"));
        fields[11].text = QStringLiteral("Smith & Söhne <Holdings> \"GmbH\"");
        fields[7].text = QString(2000, QLatin1Char('n')) + QStringLiteral(" Ñandú O'Neil");

        const QString result = fillTemplate(dir.path(), fields);

        LibreOffice libreOffice(dir.path());
        const QString text = libreOffice.text(result);
        QVERIFY2(!text.isEmpty(), qPrintable(QStringLiteral("LibreOffice produced no text: ") + libreOffice.error()));
        for (const FieldReplacement &field : fields)
            QVERIFY2(text.contains(field.text), qPrintable(field.tag));
        const QRegularExpression tag(QStringLiteral("\\[[A-Za-z0-9]+\\]"));
        QVERIFY2(!tag.match(text).hasMatch(), qPrintable(tag.match(text).captured()));
    }
};

QTEST_GUILESS_MAIN(InteropTest)
#include "tst_interop.moc"
