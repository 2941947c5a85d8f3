#include "Error.h"
#include "FileNames.h"
#include "LetterFields.h"

#include <QtTest>

using namespace quill;

// File names from the name pattern: made safe for the output folder, numbered when repeated.
class MergeNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void safeNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("safe");
        QTest::newRow("plain") << "Smith & Söhne - Ann" << "Smith & Söhne - Ann";
        QTest::newRow("path traversal") << "../../etc/passwd" << "etcpasswd";
        QTest::newRow("separators") << "AC/DC\\Live" << "ACDCLive";
        QTest::newRow("dots in the middle") << "a..b...c" << "a.b.c";
        QTest::newRow("leading dot") << ".hidden" << "hidden";
        QTest::newRow("leading dash") << "-rf letters" << "rf letters";
        QTest::newRow("trailing dot and blanks") << "  Acme Inc. " << "Acme Inc";
        QTest::newRow("control characters") << "tab\there\nnew\x01" << "tabherenew";
        QTest::newRow("direction overrides and byte-order marks") << "\xEF\xBB\xBF" "invoice\xE2\x80\xAE" "fdp.exe" << "invoicefdp.exe";
        QTest::newRow("only removed characters") << "../-./" << "";
        QTest::newRow("cut at a character boundary") << QString(150, QChar(0xE9)) << QString(kMaxNameBytes / 2, QChar(0xE9));
    }
    void safeNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, safe);
        QCOMPARE(safeFileName(name), safe);
        QVERIFY(safeFileName(name).toUtf8().size() <= kMaxNameBytes);
    }

    void repeatedNamesAreNumbered()
    {
        NameBook book;
        QStringList given;
        for (const char *name : {"Acme", "acme", "Acme", "Acme (2)", "Other"})
            given << book.claim(QString::fromUtf8(name));
        QCOMPARE(given, QStringList({"Acme", "acme (2)", "Acme (3)", "Acme (2) (2)", "Other"}));
    }

    void patterns_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expanded"); // empty: the pattern is refused
        QTest::newRow("default") << kDefaultNamePattern << "Acme - Ann";
        QTest::newRow("tags in any case, with brackets") << "{[companyname]}_{CITY2}" << "Acme_Boise";
        QTest::newRow("values lose separators") << "{Title}" << "ab";
        QTest::newRow("a folder") << "{CompanyName}/{RecipientName}" << "";
        QTest::newRow("a parent folder") << "../{City2}" << "";
        QTest::newRow("unknown tag") << "{Phone}" << "";
        QTest::newRow("unclosed brace") << "{City2" << "";
        QTest::newRow("nothing left") << "..." << "";
    }
    void patterns()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, expanded);
        std::vector<FieldReplacement> fields(kFieldCount);
        fields[11].text = QStringLiteral("Acme");
        fields[7].text = QStringLiteral("Ann");
        fields[5].text = QStringLiteral("Boise");
        fields[10].text = QStringLiteral("a/b");
        try {
            const NamePattern parsed(pattern);
            QCOMPARE(parsed.expand(fields), expanded);
        } catch (const Error &error) {
            QVERIFY2(expanded.isEmpty(), qPrintable(error.description()));
            QCOMPARE(error.status(), Status::NamePatternInvalid);
        }
    }
};

QTEST_GUILESS_MAIN(MergeNamesTest)
#include "tst_mergenames.moc"
