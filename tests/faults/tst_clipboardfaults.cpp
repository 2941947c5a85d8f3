#include "ProgramFixture.h"

#include "ClipboardPicture.h"
#include "LetterGeneration.h"
#include "PageSnapshot.h"
#include "PictureBox.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMimeData>

using namespace quill;
using namespace quill::test;

namespace {

// The most a refused snapshot may add to a generation (milliseconds): the attempts themselves are quick.
constexpr qint64 kRefusalOverheadLimit = 5000;

// Clipboard content that claims a picture in every format but hands over nothing, counting the asks.
class RefusingMimeData : public QMimeData
{
public:
    explicit RefusingMimeData(int *pictureAsks)
        : m_pictureAsks(pictureAsks)
    {
    }
    QStringList formats() const override
    {
        return {QString::fromLatin1(kPictureMimeType), QString::fromLatin1(kPngMimeType),
                QString::fromLatin1(kQtImageMimeType)};
    }
    bool hasFormat(const QString &mimeType) const override { return formats().contains(mimeType); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType) const override
    {
        if (mimeType == QLatin1String(kPictureMimeType))
            ++*m_pictureAsks;
        return QVariant();
    }

private:
    int *m_pictureAsks;
};

} // namespace

// The clipboard refusing to give the page picture back: the program asks exactly as often as it
// means to, reports once, does not hang, and shows no preview of a picture it never got.
class ClipboardFaultsTest : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_fixture = std::make_unique<ProgramFixture>();
        QVERIFY(m_fixture->start());
        QTest::mouseClick(m_fixture->form().PushButton4, Qt::LeftButton);
    }
    void cleanup()
    {
        QObject::disconnect(m_refusal);
        m_fixture.reset();
    }

    void refusedPictureIsReportedOnce()
    {
        // A generation that works, for the time it takes.
        QElapsedTimer timer;
        timer.start();
        m_fixture->clickGenerate();
        const qint64 normal = timer.elapsed();
        QVERIFY2(m_fixture->boxes().isEmpty(), qPrintable(m_fixture->boxTexts()));
        QVERIFY(QTest::qWaitForWindowExposed(&m_fixture->form().preview()));
        QTest::mouseClick(m_fixture->form().preview().PushButton8, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(&m_fixture->form()));

        // From now on whatever is put on the clipboard is swapped for content that refuses.
        int asks = 0;
        QClipboard *clipboard = QGuiApplication::clipboard();
        m_refusal = connect(clipboard, &QClipboard::dataChanged, this, [clipboard, &asks] {
            if (!dynamic_cast<const RefusingMimeData *>(clipboard->mimeData()))
                clipboard->setMimeData(new RefusingMimeData(&asks));
        });
        // An interrupted earlier run left its snapshot behind.
        QImage leftover(8, 8, QImage::Format_RGB32);
        leftover.fill(Qt::red);
        QVERIFY(leftover.save(QDir(m_fixture->tempPath()).filePath(kSnapshotWorkFile), "BMP"));
        m_fixture->clearBoxes();
        timer.restart();
        m_fixture->clickGenerate();
        const qint64 refused = timer.elapsed();

        QCOMPARE(asks, kClipboardAttempts);
        QVERIFY2(refused - normal < kRefusalOverheadLimit,
                 qPrintable(QStringLiteral("%1 ms against %2 ms").arg(refused).arg(normal)));
        // Reported once, where the snapshot failed: no missing file, no invalid picture after it.
        QVERIFY2(m_fixture->boxes().size() == 1, qPrintable(m_fixture->boxTexts()));
        QVERIFY2(m_fixture->boxes().first().text.startsWith(QStringLiteral("The clipboard holds no picture of the letter.\r\n"
                                                                          "in QuillfernEpistle2021/08/31.Form1.SaveDocAsJPG at line 122\r")),
                 qPrintable(m_fixture->boxTexts()));
        QCOMPARE(m_fixture->form().pointer().value(), int(WindowPointer::Default));
        // The letter itself was saved: the preview still comes up so that it can be saved, and shows
        // no picture rather than an earlier letter's.
        QVERIFY(m_fixture->previewShown());
        QVERIFY(QTest::qWaitForWindowExposed(&m_fixture->form().preview()));
        QVERIFY(m_fixture->form().preview().Zoom_Ori->picture().isNull());
        QVERIFY2(m_fixture->boxes().size() == 1, qPrintable(m_fixture->boxTexts()));
        QVERIFY(QFileInfo::exists(m_fixture->form().preview().mWordFile));
        QTest::mouseClick(m_fixture->form().preview().PushButton8, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(&m_fixture->form()));

        // The clipboard gives pictures again: generation works.
        QObject::disconnect(m_refusal);
        m_fixture->clearBoxes();
        m_fixture->clickGenerate();
        QVERIFY2(m_fixture->boxes().isEmpty(), qPrintable(m_fixture->boxTexts()));
        QVERIFY(m_fixture->previewShown());
    }

private:
    std::unique_ptr<ProgramFixture> m_fixture;
    QMetaObject::Connection m_refusal;
};

QTEST_MAIN(ClipboardFaultsTest)
#include "tst_clipboardfaults.moc"
