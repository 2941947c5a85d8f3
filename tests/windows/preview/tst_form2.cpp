#include "DialogRecorder.h"

#include "Form2.h"
#include "MessageBoxes.h"
#include "LetterTemplate.h"
#include "PictureBox.h"
#include "PrintDialog.h"
#include "Product.h"
#include "SaveDialog.h"

#include <QtTest>
#include <QGroupBox>
#include <QPainter>
#include <QPicture>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>

using namespace quill;

namespace {

// A letter page, in logical pixels.
constexpr int kPageWidth = 816;
constexpr int kPageHeight = 1056;
const QSize kLetterSize(kPageWidth, 3 * kPageHeight);
// Pointer moves in a test drag.
constexpr int kDragMoves = 10;
const QString kSaveTag = QStringLiteral("in QuillfernEpistle2021/08/31.Form2.PushButton6_Click ");

// A vector picture of `size` drawn like letter pages: white, with lines of text and a rule per page.
Picture letterPicture(const QSize &size, const QColor &ink = Qt::black)
{
    QPicture picture;
    QPainter painter(&picture);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    painter.setPen(ink);
    painter.setFont(QFont(QStringLiteral("Liberation Serif"), 12));
    for (int top = 0; top < size.height(); top += kPageHeight) {
        painter.drawRect(QRect(96, top + 96, size.width() - 192, 2));
        for (int line = 0; line < 30 && top + 130 + line * 24 < size.height(); ++line)
            painter.drawText(QPoint(96, top + 130 + line * 24),
                             QStringLiteral("Line %1 of the proposal, with words to read.").arg(line + 1));
    }
    painter.end();
    picture.setBoundingRect(QRect(QPoint(0, 0), size));
    return Picture(picture);
}

// A raster picture of one colour.
Picture plainImage(const QSize &size, const QColor &colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return Picture(image);
}

// The canvas's position in twips, as the window keeps it.
QPoint canvasTwips(const Form2 &form)
{
    return form.Picture1->pos() * 15;
}

} // namespace

class Form2Test : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setApplicationTitle(shortenedTitle(kProductName));
    }
    void init()
    {
        m_folder = std::make_unique<QTemporaryDir>();
        QVERIFY(m_folder->isValid());
        m_dialogs = std::make_unique<test::DialogRecorder>();
        m_dialogs->setAnswer(MessageBoxes::Yes);
        m_chosenName.clear();
        m_main = std::make_unique<QWidget>();
    }
    void cleanup() { m_dialogs.reset(); }

    void windowLooksAsDesigned()
    {
        auto form = loadedForm();
        QCOMPARE(form->windowTitle(), kProductName);
        QCOMPARE(form->size(), QSize(656, 626));
        QCOMPARE(form->Picture2->geometry(), QRect(8, 8, 622, 495));
        QCOMPARE(form->Picture1->parentWidget()->size(), QSize(620, 493));
        // The window takes the button face; the viewport stays white.
        QCOMPARE(form->palette().color(QPalette::Window), form->palette().color(QPalette::Button));
        QCOMPARE(form->Picture2->palette().color(QPalette::Window), QColor(Qt::white));
        QVERIFY(form->Zoom_Ori->isHidden());
        QVERIFY(m_dialogs->boxes().isEmpty());
    }

    void handOverShowsThePageAtZoomOne()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(kLetterSize), wordFile()));

        QCOMPARE(form->zoom(), 1.0f);
        // The source is the store's inner size (4 px of border less) less 2 twips.
        QCOMPARE(form->originalSize(), QSize(816 * 15 - 62, 3168 * 15 - 62));
        QCOMPARE(form->zoomedSize(), form->originalSize());
        QCOMPARE(form->Picture1->geometry(), QRect(0, 0, 812, 3164));
        QCOMPARE(form->HScroll1->value(), 0);
        QCOMPARE(form->VScroll1->value(), 0);
        QVERIFY(m_dialogs->boxes().isEmpty());
        // The page itself is on the canvas: white paper and dark text.
        const QImage surface = form->Picture1->surface().copy();
        QCOMPARE(surface.pixelColor(5, 5), QColor(Qt::white));
        QVERIFY(darkPixels(surface, QRect(96, 110, 400, 30)) > 100);
    }

    void zoomStopsAtItsBounds()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(kLetterSize), wordFile()));
        const QSize original = form->originalSize();
        for (int press = 1; press <= 12; ++press) {
            QTest::mouseClick(form->PushButton1, Qt::LeftButton);
            QCOMPARE(form->zoom(), 1.0f + 0.25f * press);
        }
        // The whole letter fits the canvas limits at 4.0.
        QCOMPARE(form->zoomedSize(), QSize(original.width() * 4, original.height() * 4));
        QCOMPARE(form->Picture1->geometry(), QRect(0, 0, 3247, 12655));
        const qint64 drawing = form->Picture1->surface().cacheKey();
        QTest::mouseClick(form->PushButton1, Qt::LeftButton);
        QCOMPARE(form->zoom(), 4.0f);
        QCOMPARE(form->Picture1->surface().cacheKey(), drawing);

        for (int press = 1; press <= 15; ++press)
            QTest::mouseClick(form->PushButton2, Qt::LeftButton);
        QCOMPARE(form->zoom(), 0.25f);
        QCOMPARE(form->zoomedSize(), QSize(original.width() / 4, original.height() / 4));
        QCOMPARE(form->Picture1->size(), QSize(203, 791));
        QVERIFY(!form->HScroll1->isEnabled());
        QCOMPARE(form->horizontalStep(), 0);
        QVERIFY(m_dialogs->boxes().isEmpty());

        auto outOnly = loadedForm();
        QVERIFY(handOver(*outOnly, letterPicture(QSize(400, 300)), wordFile()));
        for (int press = 1; press <= 3; ++press)
            QTest::mouseClick(outOnly->PushButton2, Qt::LeftButton);
        QCOMPARE(outOnly->zoom(), 0.25f);
        const QSize smallest = outOnly->Picture1->size();
        QTest::mouseClick(outOnly->PushButton2, Qt::LeftButton);
        QCOMPARE(outOnly->zoom(), 0.25f);
        QCOMPARE(outOnly->Picture1->size(), smallest);
    }

    void canvasLimitsAreInPixels_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<bool>("drawn");
        // A picture of n px makes a canvas of n - 4 px at zoom 1.
        QTest::newRow("8499 px wide") << QSize(8503, 20) << true;
        QTest::newRow("8500 px wide") << QSize(8504, 20) << false;
        QTest::newRow("12899 px high") << QSize(20, 12903) << true;
        QTest::newRow("12900 px high") << QSize(20, 12904) << false;
    }
    void canvasLimitsAreInPixels()
    {
        QFETCH(QSize, picture);
        QFETCH(bool, drawn);
        auto form = loadedForm();
        QVERIFY(handOver(*form, plainImage(picture, Qt::blue), wordFile()));
        QCOMPARE(form->zoom(), 1.0f);
        QCOMPARE(form->zoomedSize(), picture * 15 - QSize(62, 62));
        // A refused canvas keeps showing the handed-over picture at its own size.
        QCOMPARE(form->Picture1->size(), drawn ? picture - QSize(4, 4) : picture);
        QCOMPARE(form->Picture1->picture().isNull(), drawn);
        QCOMPARE(form->Picture1->surface().copy().pixelColor(2, 2), QColor(Qt::blue));
        QVERIFY(m_dialogs->boxes().isEmpty());
    }

    void refusedZoomFallsBackToOne()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, plainImage(QSize(3000, 100), Qt::darkGreen), wordFile()));
        for (int press = 1; press <= 7; ++press)
            QTest::mouseClick(form->PushButton1, Qt::LeftButton);
        QCOMPARE(form->zoom(), 2.75f);
        const QSize drawnAt275 = form->Picture1->size();
        QCOMPARE(drawnAt275.width(), 8239);

        // 3.0 would make a canvas 8988 px wide: nothing is drawn and the factor is back at 1.0.
        QTest::mouseClick(form->PushButton1, Qt::LeftButton);
        QCOMPARE(form->zoom(), 1.0f);
        QCOMPARE(form->zoomedSize(), form->originalSize());
        QCOMPARE(form->Picture1->size(), drawnAt275);
        QCOMPARE(form->horizontalStep(), 10);

        QTest::mouseClick(form->PushButton1, Qt::LeftButton);
        QCOMPARE(form->zoom(), 1.25f);
        QCOMPARE(form->Picture1->width(), 3745);
        QVERIFY(m_dialogs->boxes().isEmpty());
    }

    void scrollbarsFollowTheCanvas_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<int>("hStep");
        QTest::addColumn<int>("hMaximum");
        QTest::addColumn<int>("vStep");
        QTest::addColumn<int>("vMaximum");
        // Canvas n - 4 px in a viewport of 622 x 495 px outer.
        QTest::newRow("fits exactly") << QSize(626, 499) << 0 << -1 << 0 << -1;
        QTest::newRow("90 twips over") << QSize(632, 505) << 1 << 90 << 1 << 90;
        QTest::newRow("105 twips over: 10.5 to 10") << QSize(633, 506) << 10 << 10 << 10 << 10;
        QTest::newRow("135 twips over: 13.5 to 14") << QSize(635, 508) << 10 << 14 << 10 << 14;
        QTest::newRow("letter") << kLetterSize << 10 << 285 << 10 << 4004;
    }
    void scrollbarsFollowTheCanvas()
    {
        QFETCH(QSize, picture);
        QFETCH(int, hStep);
        QFETCH(int, hMaximum);
        QFETCH(int, vStep);
        QFETCH(int, vMaximum);
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(picture), wordFile()));

        QCOMPARE(form->horizontalStep(), hStep);
        QCOMPARE(form->verticalStep(), vStep);
        QCOMPARE(form->HScroll1->isEnabled(), hStep != 0);
        QCOMPARE(form->VScroll1->isEnabled(), vStep != 0);
        if (hStep == 0)
            return;
        QCOMPARE(form->HScroll1->maximum(), hMaximum);
        QCOMPARE(form->VScroll1->maximum(), vMaximum);

        // Each unit moves the canvas by the step, up to the end of the range.
        form->HScroll1->setValue(hMaximum);
        form->VScroll1->setValue(vMaximum);
        QCOMPARE(form->Picture1->pos(), QPoint(qRound(-hStep * hMaximum / 15.0), qRound(-vStep * vMaximum / 15.0)));
        // The last line of the page comes into view.
        QVERIFY(form->Picture1->geometry().bottom() < form->Picture2->height());
        QVERIFY(form->Picture1->geometry().bottom() >= form->Picture1->parentWidget()->height() - 1);
        form->HScroll1->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(canvasTwips(*form).x(), 15 * qRound(-hStep * (hMaximum - 1) / 15.0));
    }

    void percentageProcedures_data()
    {
        QTest::addColumn<int>("percent");
        QTest::addColumn<int>("expected");
        QTest::newRow("101 ignored") << 101 << 7;
        QTest::newRow("-1 ignored") << -1 << 7;
        QTest::newRow("50: 145.5 to 146") << 50 << 146;
        QTest::newRow("100") << 100 << 291;
        QTest::newRow("0") << 0 << 0;
    }
    void percentageProcedures()
    {
        QFETCH(int, percent);
        QFETCH(int, expected);
        auto form = loadedForm();
        // Canvas 816 x 689 px: 2910 twips over on both axes, so both maxima are 291.
        QVERIFY(handOver(*form, letterPicture(QSize(820, 693)), wordFile()));
        QCOMPARE(form->HScroll1->maximum(), 291);
        QCOMPARE(form->VScroll1->maximum(), 291);
        form->HScroll1->setValue(7);
        form->VScroll1->setValue(7);

        form->SetHScrollbarByPercent(*form->HScroll1, percent);
        form->SetVScrollbarByPercent(*form->VScroll1, percent);
        QCOMPARE(form->HScroll1->value(), expected);
        QCOMPARE(form->VScroll1->value(), expected);
        QCOMPARE(form->Picture1->pos(), QPoint(qRound(-10 * expected / 15.0), qRound(-10 * expected / 15.0)));
    }

    void dragStaysWithinTheViewport()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(kLetterSize), wordFile()));
        // Right and down: the canvas's top-left corner stays at the viewport's.
        drag(*form, Qt::LeftButton, QPoint(100, 100), QPoint(400, 300));
        QCOMPARE(form->Picture1->pos(), QPoint(0, 0));

        // Left and up far beyond: the far edges stop at the inner right and bottom edges.
        const QSize inner = form->Picture1->parentWidget()->size();
        const QPoint farthest(inner.width() - form->Picture1->width(), inner.height() - form->Picture1->height());
        const qint64 page = form->Picture1->surface().cacheKey();
        form->Picture1->installEventFilter(this);
        m_canvasPositions.clear();
        const QPoint start(600, 480);
        const QPoint end = start - QPoint(3000, 3000);
        press(*form, Qt::LeftButton, start);
        moveTo(*form, start, end, 60);
        form->Picture1->removeEventFilter(this);
        QCOMPARE(form->Picture1->pos(), farthest);
        QVERIFY(m_canvasPositions.size() > 10);
        for (const QPoint &position : std::as_const(m_canvasPositions)) {
            QVERIFY(position.x() <= 0 && position.x() >= farthest.x());
            QVERIFY(position.y() <= 0 && position.y() >= farthest.y());
        }
        // Moving the canvas never redraws the page.
        QCOMPARE(form->Picture1->surface().cacheKey(), page);

        // The release: 101 % across is ignored, the canvas stays; 100 % down snaps to the end of the range.
        release(*form, Qt::LeftButton, end);
        QCOMPARE(form->HScroll1->value(), 0);
        QCOMPARE(form->Picture1->x(), farthest.x());
        QCOMPARE(form->VScroll1->value(), 4004);
        QCOMPARE(form->Picture1->y(), -2669);
        QVERIFY(m_dialogs->boxes().isEmpty());
    }

    void anyButtonDrags_data()
    {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::newRow("left") << Qt::LeftButton;
        QTest::newRow("right") << Qt::RightButton;
        QTest::newRow("middle") << Qt::MiddleButton;
    }
    void anyButtonDrags()
    {
        QFETCH(Qt::MouseButton, button);
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(kLetterSize), wordFile()));
        press(*form, button, QPoint(300, 200));
        moveTo(*form, QPoint(300, 200), QPoint(250, 150), 5);
        QCOMPARE(form->Picture1->pos(), QPoint(-50, -50));
        release(*form, button, QPoint(250, 150));
        // 750 of 2850 twips across is 26 %: 74 units of ten twips; 750 of 40035 down is 2 %: 80 units.
        QCOMPARE(form->Picture1->pos(), QPoint(-49, -53));
        // Moves without a button do not drag.
        moveOver(form->Picture1);
        QCOMPARE(form->Picture1->pos(), QPoint(-49, -53));
    }

    void releaseSnapsToWholePercents()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(kLetterSize), wordFile()));

        // 5 px of 2669 is less than half a percent: the canvas stays where it was dropped.
        drag(*form, Qt::LeftButton, QPoint(300, 300), QPoint(300, 295));
        QCOMPARE(form->Picture1->pos(), QPoint(0, -5));
        QCOMPARE(form->VScroll1->value(), 0);

        // 205 px is 7.68 %: 8 % of 4004 is 320 units, 3200 twips.
        drag(*form, Qt::LeftButton, QPoint(300, 300), QPoint(300, 100));
        QCOMPARE(form->VScroll1->value(), 320);
        QCOMPARE(form->Picture1->pos(), QPoint(0, -213));

        // 100 px across is 52.6 %: 53 % of 285 is 151 units.
        drag(*form, Qt::MiddleButton, QPoint(300, 300), QPoint(200, 300));
        QCOMPARE(form->HScroll1->value(), 151);
        QCOMPARE(form->Picture1->pos(), QPoint(-101, -213));
        QVERIFY(m_dialogs->boxes().isEmpty());
    }

    void releaseOnACanvasAsWideAsTheViewport()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(QSize(626, 1000)), wordFile()));
        QCOMPARE(form->Picture1->width(), form->Picture2->width());
        QVERIFY(!form->HScroll1->isEnabled());

        drag(*form, Qt::LeftButton, QPoint(300, 300), QPoint(290, 300));
        QCOMPARE(form->Picture1->x(), -2);
        QCOMPARE(form->HScroll1->value(), 0);
        QVERIFY2(m_dialogs->boxes().isEmpty(), qPrintable(m_dialogs->boxes().value(0).text));
    }

    void savesToANewName()
    {
        auto form = loadedForm();
        const QString source = wordFile(QByteArray("the letter\0\x01\xff", 13));
        QVERIFY(handOver(*form, letterPicture(QSize(400, 300)), source));
        form->PushButton1->click();
        const float zoom = form->zoom();
        m_chosenName = m_folder->filePath(QStringLiteral("Letter to Kestrelon"));
        m_dialogs->setSavePath(m_chosenName);

        QTest::mouseClick(form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_dialogs->saveDialogs().size(), 1);
        QCOMPARE(m_dialogs->saveDialogs()[0].fileName, QString());
        QCOMPARE(m_dialogs->saveDialogs()[0].title, QStringLiteral("Save File"));
        QCOMPARE(m_dialogs->saveDialogs()[0].filter, QStringLiteral("Word Files (*.doc)|*.doc|PDF Files (*.pdf)|*.pdf"));
        // Saved under the name as typed, without an added extension.
        QCOMPARE(read(m_chosenName), read(source));
        QVERIFY(!QFileInfo::exists(m_chosenName + QStringLiteral(".doc")));
        QCOMPARE(m_dialogs->boxes().size(), 1);
        QCOMPARE(m_dialogs->boxes()[0].text, QStringLiteral("Done."));
        QCOMPARE(m_dialogs->boxes()[0].style, int(MessageBoxes::OkOnly));
        QCOMPARE(m_dialogs->boxes()[0].title, applicationTitle());
        // The temporary document stays for another save; the view is as it was.
        QVERIFY(QFileInfo::exists(source));
        QCOMPARE(form->zoom(), zoom);
    }

    // The PDF filter or a ".pdf" name writes the letter's pages as a PDF; the filter adds ".pdf" to a name typed
    // without an extension. A refused target leaves the old file as it was and earns no "Done.".
    void savesAsPdf_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written"); // empty: nothing may be written
        QTest::newRow("pdf filter adds the extension") << "Letter" << 2 << "Letter.pdf";
        QTest::newRow("pdf name with the word filter") << "Letter.PDF" << 1 << "Letter.PDF";
        QTest::newRow("pdf filter keeps a typed extension") << "Letter.v2" << 2 << "Letter.v2";
        QTest::newRow("missing folder") << "missing/Letter.pdf" << 2 << "";
        QTest::newRow("a folder") << "folder" << 2 << "";
    }
    void savesAsPdf()
    {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("folder.pdf")));
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("folder")));
        auto form = loadedForm();
        const QString letter = m_folder->filePath(QStringLiteral("letter.dotx"));
        writeFile(letter, templateBytes());
        QVERIFY(handOver(*form, letterPicture(QSize(400, 300)), letter));
        m_dialogs->setSavePath(m_folder->filePath(typed), filter);

        QTest::mouseClick(form->PushButton6, Qt::LeftButton);
        if (written.isEmpty()) {
            // The error box, after the overwrite question where something is in the way.
            QVERIFY(!m_dialogs->boxes().isEmpty());
            for (const auto &box : m_dialogs->boxes())
                QVERIFY(box.text != QStringLiteral("Done."));
            QVERIFY(!QFileInfo::exists(m_folder->filePath(QStringLiteral("missing"))));
            QVERIFY(QFileInfo(m_folder->filePath(QStringLiteral("folder.pdf"))).isDir());
            return;
        }
        QCOMPARE(m_dialogs->boxes().size(), 1);
        QCOMPARE(m_dialogs->boxes()[0].text, QStringLiteral("Done."));
        QVERIFY(read(m_folder->filePath(written)).startsWith("%PDF-"));
    }

    // Ctrl+P prints the letter's pages on the printer the dialog sets up (here a PDF file); Cancel prints nothing.
    void ctrlPPrintsThroughTheDialog()
    {
        auto form = loadedForm();
        const QString letter = m_folder->filePath(QStringLiteral("letter.dotx"));
        writeFile(letter, templateBytes());
        QVERIFY(handOver(*form, letterPicture(QSize(400, 300)), letter));
        const QString printed = m_folder->filePath(QStringLiteral("printed.pdf"));
        bool accept = false;
        int dialogs = 0;
        PrintDialog::setHandler([&](QPrinter &printer) {
            ++dialogs;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(printed);
            return accept;
        });

        QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(dialogs, 1);
        QVERIFY(!QFileInfo::exists(printed));
        accept = true;
        QTest::keyClick(form.get(), Qt::Key_P, Qt::ControlModifier);
        PrintDialog::setHandler({});
        QCOMPARE(dialogs, 2);
        QVERIFY(read(printed).startsWith("%PDF-"));
        QVERIFY2(m_dialogs->boxes().isEmpty(), qPrintable(m_dialogs->boxes().value(0).text));
    }

    void overwriteAsksFirst_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes") << int(MessageBoxes::Yes);
        QTest::newRow("no") << int(MessageBoxes::No);
    }
    void overwriteAsksFirst()
    {
        QFETCH(int, answer);
        auto form = loadedForm();
        const QString source = wordFile("new letter");
        QVERIFY(handOver(*form, letterPicture(QSize(400, 300)), source));
        m_chosenName = m_folder->filePath(QStringLiteral("old.doc"));
        m_dialogs->setSavePath(m_chosenName);
        writeFile(m_chosenName, "the old letter, longer than the new one");
        m_dialogs->setAnswer(answer);

        QTest::mouseClick(form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_dialogs->boxes().value(0).text, QStringLiteral("Are you sure you wish to overwrite ") + m_chosenName + QStringLiteral(" ?"));
        QCOMPARE(m_dialogs->boxes().value(0).style, int(MessageBoxes::YesNo));
        QCOMPARE(m_dialogs->boxes().value(0).title, applicationTitle());
        if (answer == MessageBoxes::Yes) {
            QCOMPARE(read(m_chosenName), QByteArray("new letter"));
            QCOMPARE(m_dialogs->boxes().size(), 2);
            QCOMPARE(m_dialogs->boxes()[1].text, QStringLiteral("Done."));
        } else {
            QCOMPARE(read(m_chosenName), QByteArray("the old letter, longer than the new one"));
            QCOMPARE(m_dialogs->boxes().size(), 1);
        }
    }

    void cancelledDialogEndsQuietly()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(QSize(400, 300)), wordFile()));
        QTest::mouseClick(form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_dialogs->saveDialogs().size(), 1);
        QVERIFY(m_dialogs->boxes().isEmpty());
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
    }

    void failedSaveShowsOnlyTheError_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("sourceGone");
        QTest::newRow("folder missing") << QStringLiteral("nowhere/letter.doc") << false << false;
        QTest::newRow("folder is a file") << QStringLiteral("file.txt/letter.doc") << false << false;
        QTest::newRow("target is a folder") << QStringLiteral("folder") << true << false;
        QTest::newRow("temporary document gone, old file kept") << QStringLiteral("file.txt") << true << true;
    }
    void failedSaveShowsOnlyTheError()
    {
        QFETCH(QString, target);
        QFETCH(bool, asked);
        QFETCH(bool, sourceGone);
        auto form = loadedForm();
        const QString source = wordFile("new letter");
        QVERIFY(handOver(*form, letterPicture(QSize(400, 300)), source));
        writeFile(m_folder->filePath(QStringLiteral("file.txt")), "kept");
        QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("folder")));
        if (sourceGone)
            QVERIFY(QFile::remove(source));
        m_chosenName = m_folder->filePath(target);
        m_dialogs->setSavePath(m_chosenName);

        QTest::mouseClick(form->PushButton6, Qt::LeftButton);
        QCOMPARE(m_dialogs->boxes().size(), asked ? 2 : 1);
        const MessageBoxes::Request &error = m_dialogs->boxes().constLast();
        QCOMPARE(error.title, QStringLiteral("Application Error"));
        QCOMPARE(error.style, int(MessageBoxes::Exclamation));
        QVERIFY2(error.text.contains(QStringLiteral("\r\n") + kSaveTag + QStringLiteral("at line 130\r\r")),
                 qPrintable(error.text));
        QCOMPARE(read(m_folder->filePath(QStringLiteral("file.txt"))), QByteArray("kept"));
        QVERIFY(QFileInfo(m_folder->filePath(QStringLiteral("folder"))).isDir());
        QCOMPARE(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
                 sourceGone ? 2 : 3);
    }

    void backReturnsToTheMainWindowAndStartsAfresh()
    {
        auto form = loadedForm();
        const QString first = wordFile("first");
        QVERIFY(handOver(*form, letterPicture(kLetterSize), first));
        form->PushButton1->click();
        form->PushButton1->click();
        form->VScroll1->setValue(100);

        QTest::mouseClick(form->PushButton8, Qt::LeftButton);
        QVERIFY(!QFileInfo::exists(first));
        QVERIFY(m_main->isVisible());
        QVERIFY(!form->isVisible());

        // The next letter, a raster picture of another size, starts again at 1.0 in the corner.
        m_main->hide();
        const QString second = wordFile("second");
        QVERIFY(handOver(*form, plainImage(QSize(1000, 2000), Qt::darkRed), second));
        QCOMPARE(form->zoom(), 1.0f);
        QCOMPARE(form->Picture1->pos(), QPoint(0, 0));
        QCOMPARE(form->originalSize(), QSize(1000 * 15 - 62, 2000 * 15 - 62));
        QCOMPARE(form->HScroll1->maximum(), qRound((996 - 622) * 1.5));
        QCOMPARE(form->VScroll1->value(), 0);
        // Zooming draws the new picture, not the old page.
        form->PushButton1->click();
        const QImage surface = form->Picture1->surface().copy();
        QCOMPARE(surface.pixelColor(surface.width() - 3, surface.height() - 3), QColor(Qt::darkRed));
        QCOMPARE(form->mWordFile, second);
        QVERIFY(m_dialogs->boxes().isEmpty());
    }

    void reactivationKeepsTheView()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(kLetterSize), wordFile()));
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->PushButton1->click();
        drag(*form, Qt::LeftButton, QPoint(300, 300), QPoint(297, 290));
        const QPoint position = form->Picture1->pos();
        const QPoint values(form->HScroll1->value(), form->VScroll1->value());
        QVERIFY(position != QPoint(0, 0));

        m_main->show();
        m_main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_main.get()));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->hide();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));

        QCOMPARE(form->zoom(), 1.25f);
        QCOMPARE(form->Picture1->pos(), position);
        QCOMPARE(QPoint(form->HScroll1->value(), form->VScroll1->value()), values);
    }

    void closingDeletesTheDocumentAndEndsTheProgram_data()
    {
        QTest::addColumn<bool>("alreadyGone");
        QTest::newRow("document present") << false;
        QTest::newRow("document already gone") << true;
    }
    void closingDeletesTheDocumentAndEndsTheProgram()
    {
        QFETCH(bool, alreadyGone);
        auto form = loadedForm();
        const QString document = wordFile();
        QVERIFY(handOver(*form, letterPicture(QSize(400, 300)), document));
        if (alreadyGone)
            QVERIFY(QFile::remove(document));
        m_main->hide();

        QVERIFY(form->close());
        QVERIFY(!QFileInfo::exists(document));
        QCOMPARE(m_dialogs->programEnds(), 1);
        QVERIFY(m_dialogs->boxes().isEmpty());
    }

    void handOverWithoutPictureStaysUsable()
    {
        auto form = loadedForm();
        form->mWordFile = wordFile();
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        // The missing picture was reported where it went missing: the canvas is empty, without a box.
        QVERIFY(m_dialogs->boxes().isEmpty());
        QVERIFY(form->Picture1->picture().isNull());
        form->PushButton1->click();
        QVERIFY(m_dialogs->boxes().isEmpty());
        QTest::mouseClick(form->PushButton8, Qt::LeftButton);
        QVERIFY(!form->isVisible());
        QVERIFY(!QFileInfo::exists(form->mWordFile));
    }

    void zoomedVectorPageIsCrisp()
    {
        auto form = loadedForm();
        const QSize size(400, 200);
        QPicture text;
        QPainter painter(&text);
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        painter.setFont(QFont(QStringLiteral("Liberation Sans"), 10));
        painter.drawText(QRect(10, 10, 380, 180), Qt::TextWordWrap,
                         QStringLiteral("Dear Ms Kestrelon, we propose a quill of the finest fern. ").repeated(6));
        painter.end();
        text.setBoundingRect(QRect(QPoint(0, 0), size));
        QVERIFY(handOver(*form, Picture(text), wordFile()));
        for (int press = 0; press < 12; ++press)
            form->PushButton1->click();
        QCOMPARE(form->zoom(), 4.0f);

        const QImage &surface = form->Picture1->surface();
        QCOMPARE(surface.size(), form->Picture1->size() * form->devicePixelRatioF());
        QCOMPARE(form->Picture1->size(), QSize(1583, 783));
        // Replayed at the zoomed size, glyph edges are a pixel or so wide; the page drawn at its own
        // size and stretched four times would blur every edge over about four pixels.
        QImage once(size, QImage::Format_RGB32);
        once.fill(Qt::white);
        QPainter oncePainter(&once);
        oncePainter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        oncePainter.drawPicture(0, 0, text);
        oncePainter.end();
        const QImage zoomed = surface.copy();
        const QImage stretched = once.scaled(zoomed.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QRect textArea(40, 40, 1500, 700);
        const double crisp = edgeShare(zoomed, textArea);
        const double blurred = edgeShare(stretched, textArea);
        QVERIFY2(crisp < 0.6 * blurred, qPrintable(QStringLiteral("%1 vs %2").arg(crisp).arg(blurred)));
        QVERIFY(darkPixels(zoomed, textArea) > 20000);
    }

    void pointerFollowsTheMouse()
    {
        auto form = loadedForm();
        QVERIFY(handOver(*form, letterPicture(kLetterSize), wordFile()));
        QVERIFY(form->pointer().hasCustomImage());

        moveOver(form->PushButton6);
        QCOMPARE(form->pointer().value(), int(WindowPointer::Custom));
        QCOMPARE(form->cursor().shape(), Qt::BitmapCursor);
        // The viewport, the page and the scrollbars leave the pointer alone.
        for (QWidget *neutral : {static_cast<QWidget *>(form->Picture1), static_cast<QWidget *>(form->HScroll1),
                                 static_cast<QWidget *>(form->VScroll1), static_cast<QWidget *>(form->Picture2)}) {
            moveOver(neutral);
            QCOMPARE(form->pointer().value(), int(WindowPointer::Custom));
        }
        moveOver(form->Frame1);
        QCOMPARE(form->pointer().value(), int(WindowPointer::Default));
        moveOver(form->PushButton1);
        QCOMPARE(form->pointer().value(), int(WindowPointer::Custom));
        moveOver(form.get());
        QCOMPARE(form->pointer().value(), int(WindowPointer::Default));

        form->pointer().setValue(WindowPointer::Hourglass);
        for (QWidget *widget : {static_cast<QWidget *>(form->PushButton8), static_cast<QWidget *>(form->Frame1),
                                static_cast<QWidget *>(form.get())}) {
            moveOver(widget);
            QCOMPARE(form->pointer().value(), int(WindowPointer::Hourglass));
        }
    }

    void tabWalksTheWindowInDesignedOrder()
    {
        auto form = loadedForm();
        // Both scrollbars enabled: a disabled one takes no focus.
        QVERIFY(handOver(*form, letterPicture(kLetterSize), wordFile()));
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->HScroll1->setFocus();
        QCOMPARE(QApplication::focusWidget(), form->HScroll1);
        const QList<QWidget *> expected = {form->VScroll1,     form->Picture2,    form->Picture1,
                                           form->PushButton1, form->PushButton2, form->PushButton6,
                                           form->PushButton8, form->HScroll1};
        for (QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Move)
            m_canvasPositions << static_cast<QWidget *>(watched)->pos();
        return false;
    }

private:
    std::unique_ptr<Form2> loadedForm()
    {
        auto form = std::make_unique<Form2>();
        form->setMainWindow(m_main.get());
        form->Form_Load();
        return form;
    }

    // The hand-over as generation makes it: picture, temporary document, show; true once the window is exposed.
    [[nodiscard]] static bool handOver(Form2 &form, const Picture &picture, const QString &document)
    {
        form.setPicture(picture);
        form.mWordFile = document;
        form.show();
        return QTest::qWaitForWindowExposed(&form);
    }

    // Mouse actions on the canvas; points are in the viewport's inner coordinates, where the pointer is.
    static void press(Form2 &form, Qt::MouseButton button, QPoint at)
    {
        QTest::mousePress(form.Picture1, button, {}, at - form.Picture1->pos());
    }
    static void moveTo(Form2 &form, QPoint from, QPoint to, int steps)
    {
        for (int step = 1; step <= steps; ++step)
            QTest::mouseMove(form.Picture1, from + (to - from) * step / steps - form.Picture1->pos());
    }
    static void release(Form2 &form, Qt::MouseButton button, QPoint at)
    {
        QTest::mouseRelease(form.Picture1, button, {}, at - form.Picture1->pos());
    }
    static void drag(Form2 &form, Qt::MouseButton button, QPoint from, QPoint to)
    {
        press(form, button, from);
        moveTo(form, from, to, kDragMoves);
        release(form, button, to);
    }
    static void moveOver(QWidget *widget)
    {
        QTest::mouseMove(widget, QPoint(2, 2));
        QTest::mouseMove(widget, QPoint(4, 3));
    }

    QString wordFile(const QByteArray &bytes = "temporary letter")
    {
        const QString path = m_folder->filePath(QStringLiteral("zatlec%1.doc").arg(++m_documents, 8, 10, QLatin1Char('0')));
        writeFile(path, bytes);
        return path;
    }
    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }
    // Of the inked pixels in `area`, the share that is neither near black nor near white: blurred edges.
    static double edgeShare(const QImage &image, const QRect &area)
    {
        constexpr int kNearWhite = 230;
        constexpr int kNearBlack = 60;
        int inked = 0;
        int grey = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const int level = qGray(image.pixel(x, y));
                inked += level < kNearWhite;
                grey += level < kNearWhite && level > kNearBlack;
            }
        }
        return inked ? double(grey) / inked : 1.0;
    }
    static int darkPixels(const QImage &image, const QRect &area)
    {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                count += qGray(image.pixel(x, y)) < 128;
        return count;
    }

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<QWidget> m_main;
    std::unique_ptr<test::DialogRecorder> m_dialogs;
    QList<QPoint> m_canvasPositions;
    QString m_chosenName;
    int m_documents = 0;
};

QTEST_MAIN(Form2Test)
#include "tst_form2.moc"
