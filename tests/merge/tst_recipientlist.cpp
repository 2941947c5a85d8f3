#include "Error.h"
#include "RecipientList.h"

#include <QtTest>

using namespace quill;

namespace {

// A row as the tests write it: "line:cell|cell", or "line!" for a row that comes with a problem.
QString describe(const RecipientRow &row)
{
    if (!row.problem.isEmpty())
        return QStringLiteral("%1!").arg(row.line);
    return QStringLiteral("%1:%2").arg(row.line).arg(row.fields.join(QLatin1Char('|')));
}

} // namespace

// The list as spreadsheets write it, read in pieces with libcsv.
class RecipientListTest : public QObject
{
    Q_OBJECT

private:
    QString writeList(const QByteArray &bytes)
    {
        const QString path = m_folder.filePath(QStringLiteral("list.csv"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
            return QString();
        return path;
    }

    QTemporaryDir m_folder;

private slots:
    void dialects_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("rows"); // the header first

        const QStringList ab{QStringLiteral("1:A|B"), QStringLiteral("2:1|2")};
        QTest::newRow("commas, LF") << QByteArray("A,B\n1,2\n") << ab;
        QTest::newRow("CRLF, byte-order mark") << QByteArray("\xEF\xBB\xBF" "A,B\r\n1,2\r\n") << ab;
        QTest::newRow("no line end at the end") << QByteArray("A,B\n1,2") << ab;
        QTest::newRow("semicolons in the header, commas in cells") << QByteArray("A;B\n1,5;2\n") << QStringList{"1:A|B", "2:1,5|2"};
        QTest::newRow("commas in the header, semicolons in cells") << QByteArray("A,B\n1;5,2\n") << QStringList{"1:A|B", "2:1;5|2"};
        QTest::newRow("quotes, doubled quotes") << QByteArray("A,B\n\"x, y\",\"say \"\"hi\"\"\"\n") << QStringList{"1:A|B", "2:x, y|say \"hi\""};
        QTest::newRow("line breaks inside quotes count as lines") << QByteArray("A,B\n\"l1\nl2\",z\n3,4\n")
                                                                  << QStringList{"1:A|B", "2:l1\nl2|z", "4:3|4"};
        QTest::newRow("CRLF inside quotes kept") << QByteArray("A,B\r\n\"l1\r\nl2\",z\r\n") << QStringList{"1:A|B", "2:l1\r\nl2|z"};
        QTest::newRow("CR line ends, as old Mac spreadsheets write") << QByteArray("A;B\r1,5;2\r\r\"l1\rl2\";3\r4;5")
                                                                  << QStringList{"1:A|B", "2:1,5|2", "4:l1\rl2|3", "6:4|5"};
        QTest::newRow("blank lines skipped and counted") << QByteArray("\nA,B\n\n1,2\r\n\r\n\n3,4") << QStringList{"2:A|B", "4:1|2", "7:3|4"};
        QTest::newRow("blanks and formulas kept as typed") << QByteArray("A,B,C\n  x ,=1+1,@sum\n") << QStringList{"1:A|B|C", "2:  x |=1+1|@sum"};
        QTest::newRow("UTF-8 kept") << QByteArray("A,B\nSöhne,日本\n") << QStringList{"1:A|B", "2:Söhne|日本"};
        QTest::newRow("misplaced quote: row rejected, reading goes on") << QByteArray("A,B\nab\"c\",d\n1,2\n") << QStringList{"1:A|B", "2!", "3:1|2"};
        QTest::newRow("unclosed quote ends the list") << QByteArray("A,B\n1,2\n\"open,3\n4,5\n") << QStringList{"1:A|B", "2:1|2", "3!"};
        QTest::newRow("NUL byte") << QByteArray("A,B\n1,\0x\n3,4\n", 13) << QStringList{"1:A|B", "2!", "3:3|4"};
        QTest::newRow("invalid UTF-8") << QByteArray("A,B\n\xff,2\n3,4\n") << QStringList{"1:A|B", "2!", "3:3|4"};
        QTest::newRow("overlong cell") << QByteArray("A,B\n" + QByteArray(kMaxCellBytes + 1, 'x') + ",2\n3,4\n")
                                       << QStringList{"1:A|B", "2!", "3:3|4"};
    }
    void dialects()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, rows);
        RecipientList list(writeList(bytes));
        QStringList read{describe(list.header())};
        RecipientRow row;
        while (list.next(row))
            read << describe(row);
        QCOMPARE(read, rows);
    }

    void unusableLists_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("blank lines only") << QByteArray("\n\r\n\n");
        QTest::newRow("UTF-16") << QByteArray("\xFF\xFE" "A\0,\0B\0", 8);
        QTest::newRow("header with a NUL") << QByteArray("A,\0B\n", 5);
    }
    void unusableLists()
    {
        QFETCH(QByteArray, bytes);
        try {
            RecipientList list(writeList(bytes));
            QFAIL("the list was accepted");
        } catch (const Error &error) {
            QCOMPARE(error.status(), Status::ListUnusable);
            QVERIFY2(error.description().contains(QStringLiteral("list.csv")), qPrintable(error.description()));
        }
    }

    void longListsAreCountedWithoutHoldingThem()
    {
        QByteArray bytes("RecipientName,City2\n");
        for (int i = 0; i < 20000; ++i)
            bytes += "\"Name " + QByteArray::number(i) + "\nsecond line\",City\n";
        QCOMPARE(RecipientList::countRows(writeList(bytes)), qint64(20000));
    }
};

QTEST_GUILESS_MAIN(RecipientListTest)
#include "tst_recipientlist.moc"
