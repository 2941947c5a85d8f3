#include "FuzzTargets.h"

#include <QtTest>
#include <QDir>

using namespace quill;

// Replays the fuzz targets' seeds and every input that once crashed, hung or leaked through the same
// entry functions the fuzzers call (built with the ordinary compiler). A broken promise aborts.
class FuzzReplayTest : public QObject
{
    Q_OBJECT

private slots:
    void keptInputsPass_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("path");
        const QDir fuzz(QStringLiteral(QUILL_SOURCE_DIR "/fuzz"));
        int rows = 0;
        for (const char *name : {"package", "replace", "recipients"}) {
            for (const char *kind : {"corpus", "crashes"}) {
                const QDir folder(fuzz.filePath(QStringLiteral("%1/%2").arg(QLatin1String(kind), QLatin1String(name))));
                for (const QString &file : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
                    if (file == QLatin1String("README.md"))
                        continue;
                    QTest::newRow(qPrintable(QStringLiteral("%1/%2/%3").arg(QLatin1String(kind), QLatin1String(name), file)))
                            << QString::fromLatin1(name) << folder.filePath(file);
                    ++rows;
                }
            }
        }
        QVERIFY2(rows > 0, "no kept fuzz inputs found");
    }

    void keptInputsPass()
    {
        QFETCH(QString, target);
        QFETCH(QString, path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
        // The entry functions return 0 whatever the input, as libFuzzer asks; a broken promise aborts,
        // which ends the test as failed.
        if (target == QLatin1String("package"))
            fuzz::readPackage(data, std::size_t(bytes.size()));
        else if (target == QLatin1String("replace"))
            fuzz::replaceInDocument(data, std::size_t(bytes.size()));
        else
            fuzz::readRecipients(data, std::size_t(bytes.size()));
    }
};

QTEST_GUILESS_MAIN(FuzzReplayTest)
#include "tst_fuzzreplay.moc"
