#include "LetterFields.h"

#include <QtTest>

using namespace quill;

class LetterFieldsTest : public QObject
{
    Q_OBJECT

private slots:
    // Generation replaces tags one after the other; that is safe only while no tag holds another.
    void noTagContainsAnother()
    {
        QSet<int> indexes;
        for (const LetterField &outer : kLetterFields) {
            indexes.insert(outer.index);
            const QString tag = QString::fromLatin1(outer.tag);
            QVERIFY(tag.startsWith(QLatin1Char('[')) && tag.endsWith(QLatin1Char(']')));
            for (const LetterField &inner : kLetterFields) {
                if (inner.index != outer.index)
                    QVERIFY2(!tag.contains(QString::fromLatin1(inner.tag), Qt::CaseInsensitive), outer.tag);
            }
        }
        QCOMPARE(indexes.size(), kFieldCount);
    }

    void settingsKeysHaveNoPadding()
    {
        QCOMPARE(fieldSettingsKey(0), QStringLiteral("Text1_0"));
        QCOMPARE(fieldSettingsKey(13), QStringLiteral("Text1_13"));
    }

    void sampleDataCoversEveryTypedFieldOnce()
    {
        QSet<int> filled;
        int line = 100;
        for (const SampleValue &sample : kSampleValues) {
            QCOMPARE(sample.line, line);
            line += 2;
            QVERIFY(sample.index != kDateField);
            filled.insert(sample.index);
        }
        QCOMPARE(filled.size(), kTypedFieldCount);
    }
};

QTEST_GUILESS_MAIN(LetterFieldsTest)
#include "tst_letterfields.moc"
