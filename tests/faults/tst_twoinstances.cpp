#include "Packages.h"
#include "ProgramFixture.h"

#include "LetterGeneration.h"

#include <QProcess>

using namespace quill;
using namespace quill::test;

namespace {

// Letters each instance makes, one after the other, while the other one makes its own.
constexpr int kRounds = 12;
// How long one instance may take for all its rounds (milliseconds).
constexpr int kInstanceTimeout = 240000;

const QStringList kNames = {QStringLiteral("Alder Quintrell"), QStringLiteral("Bryok Tresize")};

} // namespace

// Two instances of the program for the same user at once, sharing T and the settings file: each
// makes and saves its own complete letters, and the settings file stays readable.
class TwoInstancesTest : public QObject
{
    Q_OBJECT

private slots:
    void instancesKeepToTheirOwnWork()
    {
        ProgramFixture fixture;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("TEMP"), fixture.tempPath());
        environment.insert(QStringLiteral("QUILL_SETTINGS_DIR"), fixture.settingsFolder());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

        std::vector<std::unique_ptr<QProcess>> instances;
        QStringList outputs;
        for (const QString &name : kNames) {
            const QString output = QDir(fixture.scratchPath()).filePath(name);
            QVERIFY(QDir().mkpath(output));
            outputs << output;
            auto process = std::make_unique<QProcess>();
            process->setProcessEnvironment(environment);
            process->start(QStringLiteral(QUILL_GENERATION_HELPER), {name, output, QString::number(kRounds)});
            instances.push_back(std::move(process));
        }
        // The instances take turns with T's work files: no round of either may fail.
        int failedRounds = 0;
        for (size_t index = 0; index < instances.size(); ++index) {
            QProcess &process = *instances[index];
            QVERIFY(process.waitForFinished(kInstanceTimeout));
            QVERIFY(process.exitStatus() == QProcess::NormalExit);
            const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
            int failures = 0;
            for (const QString &round : errors.split(QStringLiteral("round "))) {
                QStringList boxes;
                for (const QString &line : round.split(QLatin1Char('\n'))) {
                    if (line.startsWith(QLatin1String("box: ")) && line != QLatin1String("box: Done."))
                        boxes << line;
                }
                if (boxes.isEmpty())
                    continue;
                failures += int(boxes.size());
                ++failedRounds;
            }
            QCOMPARE(process.exitCode(), failures);
        }

        // Every letter saved is complete and holds its own instance's name and round, and no other.
        int lost = 0;
        for (int instance = 0; instance < kNames.size(); ++instance) {
            for (int round = 0; round < kRounds; ++round) {
                const QString path = QDir(outputs[instance]).filePath(QStringLiteral("%1.doc").arg(round));
                if (!QFileInfo::exists(path)) {
                    ++lost;
                    continue;
                }
                const QByteArray body = readPackage(path).parts.value(QStringLiteral("word/document.xml"));
                QVERIFY2(!body.isEmpty(), qPrintable(path));
                QVERIFY2(body.contains(QStringLiteral("%1 %2").arg(kNames[instance]).arg(round).toUtf8()), qPrintable(path));
                QVERIFY2(!body.contains(kNames[1 - instance].toUtf8()), qPrintable(path));
            }
        }
        QCOMPARE(lost, 0);
        // The settings file reads without error and holds one of the two last names.
        QSettings settings(fixture.settingsFile(), QSettings::IniFormat);
        QCOMPARE(settings.status(), QSettings::NoError);
        const QString stored = ProgramFixture::storedField(0);
        QVERIFY2(stored == QStringLiteral("%1 %2").arg(kNames[0]).arg(kRounds - 1)
                         || stored == QStringLiteral("%1 %2").arg(kNames[1]).arg(kRounds - 1),
                 qPrintable(stored));
        // Both went back after each letter: T holds no work file of either.
        QVERIFY2(fixture.tempEntries().isEmpty(), qPrintable(fixture.tempEntries().join(QLatin1Char(' '))));
        QCOMPARE(failedRounds, 0);
    }
};

QTEST_MAIN(TwoInstancesTest)
#include "tst_twoinstances.moc"
