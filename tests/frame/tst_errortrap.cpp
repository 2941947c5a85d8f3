#include "DialogRecorder.h"

#include "ErrorTrap.h"
#include "Error.h"
#include "MessageBoxes.h"
#include "Product.h"

#include <QtTest>

using namespace quill;

namespace {
const QString kTag = QStringLiteral("in QuillfernEpistle2021/08/31.Form1.PushButton3_Click ");

// A routine without a trap of its own: its failure surfaces at the caller's line.
void untrappedCallee(QStringList &trail)
{
    trail << QStringLiteral("callee start");
    throw Error(Status::NotSupported, QStringLiteral("callee failed"));
}
} // namespace

class ErrorTrapTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dialogs = std::make_unique<test::DialogRecorder>(); }
    void cleanup() { m_dialogs.reset(); }

    void messageIsBuiltExactly()
    {
        ReportApplicationError(kTag, QStringLiteral("Division by zero"), 104);
        QCOMPARE(m_dialogs->boxes().size(), 1);
        QCOMPARE(m_dialogs->boxes()[0].text,
                 QStringLiteral("Division by zero\r\nin QuillfernEpistle2021/08/31.Form1.PushButton3_Click at line 104"
                                "\r\rPlease email screenshot of this message to ")
                     + kSupportAddress);
        QCOMPARE(m_dialogs->boxes()[0].title, QStringLiteral("Application Error"));
        QCOMPARE(m_dialogs->boxes()[0].style, int(MessageBoxes::Exclamation));
        // The address the user reads lies in a domain reserved for examples.
        QVERIFY(m_dialogs->boxes()[0].text.endsWith(QStringLiteral(".example.com")));
    }

    void emptyDescriptionStartsWithLineEnd()
    {
        ReportApplicationError(kTag, QString(), 100);
        QVERIFY(m_dialogs->boxes()[0].text.startsWith(QStringLiteral("\r\nin Quillfern")));
    }

    void eachFailureGivesOneBoxAndExecutionGoesOn()
    {
        ErrorTrap trap(kTag);
        QStringList trail;
        trap.run(100, [&] { throw Error(Status::NotSupported, QStringLiteral("first")); });
        trap.run(102, [&] { trail << QStringLiteral("102"); });
        trap.run(104, [&] { throw std::runtime_error("second"); });
        trap.run(106, [&] { throw Error(Status::NotSupported, QStringLiteral("third")); });
        trap.run(108, [&] { trail << QStringLiteral("108"); });

        QCOMPARE(trail, QStringList({QStringLiteral("102"), QStringLiteral("108")}));
        QCOMPARE(m_dialogs->boxes().size(), 3);
        QVERIFY(m_dialogs->boxes()[0].text.startsWith(QStringLiteral("first\r\n")));
        QVERIFY(m_dialogs->boxes()[0].text.contains(QStringLiteral("at line 100\r\r")));
        QVERIFY(m_dialogs->boxes()[1].text.contains(QStringLiteral("at line 104\r\r")));
        QVERIFY(m_dialogs->boxes()[2].text.contains(QStringLiteral("at line 106\r\r")));
    }

    void failedTestCountsAsPassed()
    {
        ErrorTrap trap(kTag);
        bool guardedRan = false;
        if (trap.test(110, []() -> bool { throw Error(Status::NotSupported, QStringLiteral("cannot test")); }))
            guardedRan = true;
        QVERIFY(guardedRan);
        QCOMPARE(m_dialogs->boxes().size(), 1);
        QVERIFY(m_dialogs->boxes()[0].text.contains(QStringLiteral("at line 110")));
        QVERIFY(!trap.test(112, [] { return false; }));
    }

    void untrappedCalleeIsReportedAtCallersLine()
    {
        ErrorTrap trap(kTag);
        QStringList trail;
        trap.run(130, [&] {
            untrappedCallee(trail);
            trail << QStringLiteral("rest of callee");
        });
        trap.run(132, [&] { trail << QStringLiteral("after call"); });
        QCOMPARE(trail, QStringList({QStringLiteral("callee start"), QStringLiteral("after call")}));
        QCOMPARE(m_dialogs->boxes().size(), 1);
        QVERIFY(m_dialogs->boxes()[0].text.startsWith(QStringLiteral("callee failed\r\n") + kTag + QStringLiteral("at line 130\r\r")));
    }

    void failureInLoopBodyReportsEachPass()
    {
        ErrorTrap trap(kTag);
        int completed = 0;
        for (int pass = 0; pass < 4; ++pass) {
            trap.run(102, [&] {
                if (pass % 2)
                    throw Error(Status::NotSupported, QStringLiteral("odd pass"));
                ++completed;
            });
        }
        QCOMPARE(completed, 2);
        QCOMPARE(m_dialogs->boxes().size(), 2);
    }

    void applicationTitleIsCutAtBlanks()
    {
        QCOMPARE(shortenedTitle(kProductName), QStringLiteral("Quillfern Pitchcraft Epistle Maker"));
        // The cut happens at least once, even for a short name.
        QCOMPARE(shortenedTitle(QStringLiteral("Short Name")), QStringLiteral("Short"));
        QCOMPARE(shortenedTitle(QStringLiteral("Single")), QStringLiteral("Single"));
    }

private:
    std::unique_ptr<test::DialogRecorder> m_dialogs;
};

QTEST_GUILESS_MAIN(ErrorTrapTest)
#include "tst_errortrap.moc"
