#include "TestFolders.h"

#include "Product.h"
#include "SettingsStore.h"

#include <QtTest>

using namespace quill;

class SettingsStoreTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_folders.isValid()); }

    void valuesRoundTripThroughTheFile_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("plain") << QStringLiteral("Orla Penhallow");
        QTest::newRow("blanks around") << QStringLiteral("  padded value   ");
        QTest::newRow("commas") << QStringLiteral("Ridizaz, Arevudud, Inc.");
        QTest::newRow("quotes") << QStringLiteral("say \"hello\" and 'bye'");
        QTest::newRow("equals and semicolons") << QStringLiteral("a=b; c=d");
        QTest::newRow("backslashes") << QStringLiteral("C:\\Temp\\x\\");
        QTest::newRow("brackets and hash") << QStringLiteral("[Section] #not a comment");
        QTest::newRow("variant marker") << QStringLiteral("@Variant(\\0\\0)");
        QTest::newRow("non-ASCII") << QStringLiteral("Zoë Brontë — Straße 5, Łódź 日本");
        QTest::newRow("ten thousand characters") << QString(10000, QLatin1Char('x')).replace(5000, 3, QStringLiteral("a,b"));
        QTest::newRow("empty") << QString();
    }
    void valuesRoundTripThroughTheFile()
    {
        QFETCH(QString, value);
        QVERIFY(SettingsStore::write(kSettingsApplication, kProductName, QStringLiteral("Text1_0"), value));
        QCOMPARE(SettingsStore::read(kSettingsApplication, kProductName, QStringLiteral("Text1_0"), QStringLiteral("default")),
                 value);

        // A copy of the file under another name has no cache behind it: it proves what is on disk.
        const QString copy = QDir(m_folders.settingsFolder()).filePath(QStringLiteral("copy.ini"));
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_folders.settingsFile(), copy));
        QSettings onDisk(copy, QSettings::IniFormat);
        QCOMPARE(onDisk.value(kProductName + QStringLiteral("/Text1_0")).toString(), value);
    }

    void absentKeyReadsTheDefault()
    {
        QCOMPARE(SettingsStore::read(kSettingsApplication, kProductName, QStringLiteral("Text1_7")), QString());
        QCOMPARE(SettingsStore::read(kSettingsApplication, QStringLiteral("other section"), QStringLiteral("Text1_0"),
                                     QStringLiteral("fallback")),
                 QStringLiteral("fallback"));
    }

private:
    test::TestFolders m_folders;
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
