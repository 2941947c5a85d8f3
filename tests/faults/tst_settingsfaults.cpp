#include "ProgramFixture.h"

#include <QSettings>

using namespace quill;
using namespace quill::test;

namespace {

// What is wrong with the settings store when the program starts.
enum class Damage { Garbage, TruncatedUtf16, FileIsAFolder, FolderIsAFile, ReadOnlyFile };

// Every field value stored by an earlier run, and the one typed now.
const QString kEarlierName = QStringLiteral("Morwenna Kitto");
const QString kTypedName = QStringLiteral("Ysolde Pascoe & Söhne");

} // namespace

Q_DECLARE_METATYPE(Damage)

// A settings store that is damaged, unreadable or cannot be written: the program starts, typing
// works, and whatever can be stored is stored.
class SettingsFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_fixture = std::make_unique<ProgramFixture>(); }
    void cleanup()
    {
        if (!m_readOnly.isEmpty())
            faults::makeWritable(m_readOnly);
        m_readOnly.clear();
        m_fixture.reset();
    }
    void damagedStoreStillLetsTheUserWork_data();
    void damagedStoreStillLetsTheUserWork();

private:
    std::unique_ptr<ProgramFixture> m_fixture;
    QString m_readOnly;
};

void SettingsFaultsTest::damagedStoreStillLetsTheUserWork_data()
{
    QTest::addColumn<Damage>("damage");
    // Whether a value typed now reaches the store, and whether the earlier value is read at start.
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("earlierValueRead");
    QTest::newRow("garbage around a sound line") << Damage::Garbage << true << true;
    QTest::newRow("truncated UTF-16") << Damage::TruncatedUtf16 << true << false;
    QTest::newRow("settings file is a folder") << Damage::FileIsAFolder << false << false;
    QTest::newRow("settings folder is a file") << Damage::FolderIsAFile << false << false;
    QTest::newRow("read-only settings file") << Damage::ReadOnlyFile << false << true;
}

void SettingsFaultsTest::damagedStoreStillLetsTheUserWork()
{
    QFETCH(Damage, damage);
    QFETCH(bool, writable);
    QFETCH(bool, earlierValueRead);

    const QString file = m_fixture->settingsFile();
    // The line an earlier run wrote, as the store writes it.
    QVERIFY(SettingsStore::write(kSettingsApplication, kProductName, fieldSettingsKey(0), kEarlierName));
    const QByteArray soundLine = readAll(file);
    QVERIFY(QFile::remove(file));
    switch (damage) {
    case Damage::Garbage:
        QVERIFY(writeFile(file, QByteArray("\x00\xff\xfe[[[=\n", 8) + soundLine + "=\\\n[\x01\x02\n\\x\\u12"));
        break;
    case Damage::TruncatedUtf16:
        QVERIFY(writeFile(file, QByteArray("\xff\xfe[\x00Q\x00u\x00", 8)));
        break;
    case Damage::FileIsAFolder:
        QVERIFY(QDir().mkpath(QDir(file).filePath(QStringLiteral("inside"))));
        break;
    case Damage::FolderIsAFile: {
        const QString plain = QDir(m_fixture->scratchPath()).filePath(QStringLiteral("plain"));
        QVERIFY(writeFile(plain, "a file where the settings folder should be"));
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, plain);
        break;
    }
    case Damage::ReadOnlyFile:
        QVERIFY(writeFile(file, soundLine));
        m_readOnly = file;
        if (!faults::makeReadOnly(file))
            QSKIP("This process can make no file read-only (no permission bits and no immutable attribute apply).");
        break;
    }
    const QByteArray before = readAll(file);

    QVERIFY(m_fixture->start());
    QVERIFY2(m_fixture->boxes().isEmpty(), qPrintable(m_fixture->boxTexts()));
    QCOMPARE(m_fixture->form().field(0)->text(), earlierValueRead ? kEarlierName : QString());

    // Typing works whatever the store does.
    m_fixture->typeInto(0, kTypedName);
    m_fixture->typeInto(5, QStringLiteral("Ms"));
    QCOMPARE(m_fixture->form().field(0)->text(), kTypedName);
    QCOMPARE(m_fixture->form().field(5)->text(), QStringLiteral("Ms"));
    QVERIFY2(m_fixture->boxes().isEmpty(), qPrintable(m_fixture->boxTexts()));

    if (writable) {
        QCOMPARE(ProgramFixture::storedField(0), kTypedName);
        QCOMPARE(ProgramFixture::storedField(5), QStringLiteral("Ms"));
        // A new start reads back what was typed.
        QVERIFY(m_fixture->start());
        QCOMPARE(m_fixture->form().field(0)->text(), kTypedName);
        QCOMPARE(m_fixture->form().field(5)->text(), QStringLiteral("Ms"));
    } else {
        // Nothing could be stored, and nothing there was harmed.
        QCOMPARE(readAll(file), before);
        QCOMPARE(QFileInfo(file).isDir(), damage == Damage::FileIsAFolder);
    }

    // Generation does not depend on the store.
    m_fixture->clickGenerate();
    QVERIFY2(m_fixture->boxes().isEmpty(), qPrintable(m_fixture->boxTexts()));
    QVERIFY(m_fixture->previewShown());
}

QTEST_MAIN(SettingsFaultsTest)
#include "tst_settingsfaults.moc"
