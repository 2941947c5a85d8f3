#include "Packages.h"
#include "ProgramFixture.h"

#include "Error.h"
#include "LetterGeneration.h"

#include <QDeadlineTimer>
#include <QLockFile>
#include <QProcess>

using namespace quill;
using namespace quill::test;

namespace {

// Letters each instance makes, one after the other, while the other one makes its own.
constexpr int kRounds = 12;
// How long one instance may take for all its rounds (milliseconds).
constexpr int kInstanceTimeout = 240000;

const QStringList kNames = {QStringLiteral("Alder Quintrell"), QStringLiteral("Bryok Tresize")};

// How long the first instance may take to reach its box (milliseconds).
constexpr int kBoxTimeout = 60000;
// How far back a held claim is dated (seconds): well past the age at which a lock file counts as stale by default.
constexpr int kHeldClaimAge = 60;
// How long the test waits for a claim (milliseconds): short, as only a claim taken at once counts.
constexpr int kShortClaimWait = 200;

// The environment of an instance on the fixture's T and settings.
QProcessEnvironment instanceEnvironment(const ProgramFixture &fixture)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TEMP"), fixture.tempPath());
    environment.insert(QStringLiteral("QUILL_SETTINGS_DIR"), fixture.settingsFolder());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

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
        const QProcessEnvironment environment = instanceEnvironment(fixture);

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

    // A first instance whose error box has been up for a minute keeps its claim on T's work files;
    // once that instance is gone, its claim is taken at once.
    void runningInstanceKeepsItsClaim()
    {
        ProgramFixture fixture;
        const QDir temp(fixture.tempPath());
        // A link at the template work file's place stops the first instance at a box while it holds the claim.
        const QString outside = QDir(fixture.scratchPath()).filePath(QStringLiteral("outside"));
        QVERIFY(writeFile(outside, "not the program's"));
        QVERIFY(QFile::link(outside, temp.filePath(kTemplateWorkFile)));
        QProcessEnvironment environment = instanceEnvironment(fixture);
        environment.insert(QStringLiteral("QUILL_HOLD_BOXES"), QStringLiteral("1"));
        QProcess first;
        first.setProcessEnvironment(environment);
        first.setReadChannel(QProcess::StandardError);
        first.start(QStringLiteral(QUILL_GENERATION_HELPER), {kNames[0], fixture.scratchPath(), QStringLiteral("1")});
        QByteArray errors;
        const QDeadlineTimer deadline(kBoxTimeout);
        while (!errors.contains("box: ") && first.waitForReadyRead(int(deadline.remainingTime())))
            errors += first.readAll();
        QVERIFY2(errors.contains("box: "), errors.constData());

        // On a local disk the lock file's native lock also guards the claim; on a share that does not
        // honour it, only the file's content and age speak for the owner. An unlocked copy of the first
        // instance's lock file, dated a minute back, stands in for such a share.
        const QString lockPath = temp.filePath(kWorkFilesLock);
        const QByteArray owner = readAll(lockPath);
        QVERIFY(!owner.isEmpty());
        QVERIFY(QFile::remove(lockPath));
        QVERIFY(writeFile(lockPath, owner));
        QFile lockFile(lockPath);
        QVERIFY(lockFile.open(QIODevice::ReadWrite));
        QVERIFY(lockFile.setFileTime(QDateTime::currentDateTime().addSecs(-kHeldClaimAge), QFileDevice::FileModificationTime));
        lockFile.close();

        QVERIFY_THROWS_EXCEPTION(Error, claimWorkFiles(temp.path(), kShortClaimWait));
        QCOMPARE(readAll(lockPath), owner);

        // The first instance ends without letting go: its claim is removed and taken.
        first.kill();
        QVERIFY(first.waitForFinished());
        const std::unique_ptr<QLockFile> claim = claimWorkFiles(temp.path(), kShortClaimWait);
        QVERIFY(claim->isLocked());
    }
};

QTEST_MAIN(TwoInstancesTest)
#include "tst_twoinstances.moc"
