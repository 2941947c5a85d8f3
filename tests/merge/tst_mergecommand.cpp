#include "Files.h"
#include "Packages.h"
#include "TestFolders.h"

#include <QtTest>

#include <csignal>
#include <unistd.h>

using namespace quill::test;

namespace {

const QString kProgram = QStringLiteral(QUILL_BINARY_DIR "/bin/quillfern-epistle");
constexpr int kRunTimeoutMs = 120000;

// Every entry below `folder`, relative to it, hidden ones included.
QStringList entriesBelow(const QString &folder)
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QDir(folder).relativeFilePath(it.next());
    entries.sort();
    return entries;
}

} // namespace

// The merge command as a user runs it: exit statuses, messages naming file and line, bad input
// that writes nothing outside the output folder, and Ctrl+C that leaves no partial file.
class MergeCommandTest : public QObject
{
    Q_OBJECT

private:
    QString scratch(const QString &name) const { return QDir(m_folders->scratchPath()).filePath(name); }

    // Starts the program with `arguments` on the test's own folders.
    void start(QProcess &process, const QStringList &arguments)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TEMP"), m_folders->tempPath());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folders->settingsFolder());
        process.setProcessEnvironment(environment);
        process.start(kProgram, arguments);
    }

    std::unique_ptr<TestFolders> m_folders;

private slots:
    void init()
    {
        m_folders = std::make_unique<TestFolders>();
        QVERIFY(m_folders->isValid());
        QVERIFY(QDir(m_folders->scratchPath()).mkdir(QStringLiteral("out")));
    }
    void cleanup() { m_folders.reset(); }

    void runs_data()
    {
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QStringList>("arguments"); // after "merge LIST"; "--out out" unless given or NOOUT
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("letters");
        QTest::addColumn<QString>("message");

        const QByteArray good("RecipientName,CompanyName\nAnn,Acme\nBob,Acme\n");
        QTest::newRow("all made") << good << QStringList() << 0 << 2 << "2 letters written to";
        QTest::newRow("formula cells as typed") << QByteArray("RecipientName\n=1+1\n+x\n-y\n@z\n") << QStringList{"--name", "{RecipientName}"} << 0 << 4 << "4 letters";
        QTest::newRow("ignored column") << QByteArray("RecipientName,Phone\nAnn,1\n") << QStringList() << 0 << 1 << "list.csv:1: column 2 \"Phone\"";
        QTest::newRow("empty file") << QByteArray() << QStringList() << 2 << 0 << "is empty";
        QTest::newRow("no known tag") << QByteArray("Phone,Fax\n1,2\n") << QStringList() << 2 << 0 << "list.csv:1: the header names none";
        QTest::newRow("duplicate columns") << QByteArray("City2,[city2]\nA,B\n") << QStringList() << 2 << 0 << "list.csv:1: columns 1 and 2";
        QTest::newRow("ragged rows") << QByteArray("RecipientName,City2\nAnn\nBob,X,Y\nCid,Z\n") << QStringList() << 1 << 1 << "list.csv:3: the row has 3 cells";
        QTest::newRow("unclosed quote") << QByteArray("RecipientName\nAnn\n\"Bob\nCid\n") << QStringList() << 1 << 1 << "list.csv:3: a quoted cell is never closed";
        QTest::newRow("NUL byte") << QByteArray("RecipientName\nA\0n\nBob\n", 22) << QStringList() << 1 << 1 << "list.csv:2: cell 1 holds a NUL";
        QTest::newRow("invalid UTF-8") << QByteArray("RecipientName\nA\xffn\nBob\n") << QStringList() << 1 << 1 << "list.csv:2: cell 1 is not valid UTF-8";
        QTest::newRow("10 MB cell") << QByteArray("RecipientName\n" + QByteArray(10 << 20, 'x') + "\nBob\n") << QStringList() << 1 << 1 << "list.csv:2: cell 1 is longer";
        QTest::newRow("pattern with /") << good << QStringList{"--name", "{CompanyName}/{RecipientName}"} << 2 << 0 << "names a folder";
        QTest::newRow("pattern with ..") << good << QStringList{"--name", "../{RecipientName}"} << 2 << 0 << "names a folder";
        QTest::newRow("pattern of removed characters") << good << QStringList{"--name", "..-"} << 2 << 0 << "gives no file name";
        QTest::newRow("template not a document") << good << QStringList{"--template", "LIST"} << 2 << 0 << "is not a Word document";
        QTest::newRow("template without tags") << good << QStringList{"--template", "TAGLESS"} << 2 << 0 << "holds none of the letter's tags";
        QTest::newRow("missing folder") << good << QStringList{"--out", "missing"} << 2 << 0 << "does not exist";
        QTest::newRow("folder is a file") << good << QStringList{"--out", "LIST"} << 2 << 0 << "is a file, not a folder";
        // The superuser writes into read-only folders.
        if (::geteuid() != 0)
            QTest::newRow("read-only folder") << good << QStringList{"--out", "READONLY"} << 2 << 0 << "Cannot write into the output folder";
        QTest::newRow("no folder") << good << QStringList{"NOOUT"} << 2 << 0 << "--out FOLDER";
        QTest::newRow("bad format") << good << QStringList{"--format", "rtf"} << 2 << 0 << "doc, pdf or both";
        QTest::newRow("bad jobs") << good << QStringList{"--jobs", "0"} << 2 << 0 << "--jobs takes";
        QTest::newRow("unknown option") << good << QStringList{"--colour"} << 2 << 0 << "colour";
    }
    void runs()
    {
        QFETCH(QByteArray, list);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(int, letters);
        QFETCH(QString, message);
        const QString listPath = scratch(QStringLiteral("list.csv"));
        QVERIFY(writeFile(listPath, list));
        DocumentRecipe tagless;
        tagless.body = paragraph(run("Hello [nobody]"));
        QVERIFY(writeDocument(scratch(QStringLiteral("tagless.docx")), tagless));
        QDir(m_folders->scratchPath()).mkdir(QStringLiteral("readonly"));
        QFile::setPermissions(scratch(QStringLiteral("readonly")), QFile::ReadOwner | QFile::ExeOwner);
        arguments.replaceInStrings(QStringLiteral("LIST"), listPath);
        arguments.replaceInStrings(QStringLiteral("TAGLESS"), scratch(QStringLiteral("tagless.docx")));
        arguments.replaceInStrings(QStringLiteral("READONLY"), scratch(QStringLiteral("readonly")));
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^missing$")), scratch(QStringLiteral("missing")));
        if (!arguments.removeOne(QStringLiteral("NOOUT")) && !arguments.contains(QStringLiteral("--out")))
            arguments << QStringLiteral("--out") << scratch(QStringLiteral("out"));
        const QStringList before = entriesBelow(m_folders->scratchPath());

        QProcess process;
        start(process, QStringList{QStringLiteral("merge"), listPath} + arguments);
        QVERIFY(process.waitForFinished(kRunTimeoutMs));
        const QString output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(output.contains(message), qPrintable(output));
        QCOMPARE(process.exitCode(), status);

        // Letters in the output folder and nothing else, anywhere.
        QStringList after = entriesBelow(m_folders->scratchPath());
        QStringList made = after.filter(QRegularExpression(QStringLiteral("^out/[^/]+\\.doc$")));
        QCOMPARE(made.size(), letters);
        for (const QString &entry : made)
            after.removeOne(entry);
        QCOMPARE(after, before);
        QCOMPARE(m_folders->tempEntries(), QStringList());
    }

    void ctrlCLeavesNoPartialFile()
    {
        QByteArray list("RecipientName,CompanyName\n");
        constexpr int kRows = 3000;
        for (int i = 0; i < kRows; ++i)
            list += "Name " + QByteArray::number(i) + ",Company\n";
        const QString listPath = scratch(QStringLiteral("list.csv"));
        QVERIFY(writeFile(listPath, list));
        const QDir out(scratch(QStringLiteral("out")));

        QProcess process;
        start(process, {QStringLiteral("merge"), listPath, QStringLiteral("--out"), out.path(), QStringLiteral("--jobs"), QStringLiteral("2")});
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(out.entryList(QDir::Files).size() >= 5, kRunTimeoutMs);
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(kRunTimeoutMs));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(process.readAllStandardOutput().contains("stopped"));

        const QStringList files = out.entryList(QDir::Files | QDir::Hidden | QDir::System);
        QVERIFY(files.size() < kRows);
        for (const QString &name : files) {
            QVERIFY2(name.endsWith(QStringLiteral(".doc")), qPrintable(name));
            QVERIFY2(readPackage(out.filePath(name)).error.isEmpty(), qPrintable(name));
        }
        QCOMPARE(m_folders->tempEntries(), QStringList());
    }

    void helpVersionAndTheWindowWithoutArguments()
    {
        for (const QString &option : {QStringLiteral("--help"), QStringLiteral("--version")}) {
            QProcess process;
            start(process, {option});
            QVERIFY(process.waitForFinished(kRunTimeoutMs));
            QCOMPARE(process.exitCode(), 0);
            QVERIFY(process.readAllStandardOutput().contains(option == QStringLiteral("--help") ? "merge" : "quillfern-epistle 1."));
        }
    }
};

QTEST_GUILESS_MAIN(MergeCommandTest)
#include "tst_mergecommand.moc"
