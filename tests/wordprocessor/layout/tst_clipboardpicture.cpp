#include "ClipboardPicture.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QtTest>

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 80;

// A small vector picture: a white sheet with a black frame and a word.
QPicture samplePicture()
{
    QPicture picture;
    QPainter painter(&picture);
    painter.fillRect(QRect(0, 0, kWidth, kHeight), Qt::white);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawRect(QRect(10, 10, 100, 60));
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 12));
    painter.drawText(QRect(10, 10, 100, 60), Qt::AlignCenter, QStringLiteral("Quill"));
    painter.end();
    picture.setBoundingRect(QRect(0, 0, kWidth, kHeight));
    return picture;
}

} // namespace

class ClipboardPictureTest : public QObject
{
    Q_OBJECT

private slots:
    void init() { quill::clearClipboardPicture(); }
    void vectorPictureSurvivesTheClipboard();
    void rasterFormatsAreRenderedOnlyWhenAsked();
    void clearingLeavesNoStalePicture();
    void foreignContentIsNoPicture_data();
    void foreignContentIsNoPicture();
};

void ClipboardPictureTest::vectorPictureSurvivesTheClipboard()
{
    const QPicture picture = samplePicture();
    quill::putPictureOnClipboard(picture);

    bool ok = false;
    const QPicture back = quill::pictureFromClipboard(&ok);
    QVERIFY(ok);
    QCOMPARE(back.boundingRect(), picture.boundingRect());
    // Replayed at four times the size, both are the same drawing.
    QCOMPARE(quill::renderPicture(back, 4), quill::renderPicture(picture, 4));
}

void ClipboardPictureTest::rasterFormatsAreRenderedOnlyWhenAsked()
{
    auto *mimeData = new quill::PictureMimeData(samplePicture());
    QGuiApplication::clipboard()->setMimeData(mimeData);
    const QMimeData *offered = QGuiApplication::clipboard()->mimeData();
    QVERIFY(offered->hasFormat(QString::fromLatin1(quill::kPictureMimeType)));
    QVERIFY(offered->hasFormat(QStringLiteral("image/png")));
    QVERIFY(offered->hasImage());
    QCOMPARE(mimeData->rasterRenderCount(), 0);

    // The vector form does not need the raster one.
    bool ok = false;
    quill::pictureFromMimeData(offered, &ok);
    QVERIFY(ok);
    QCOMPARE(mimeData->rasterRenderCount(), 0);

    const QByteArray png = offered->data(QStringLiteral("image/png"));
    QCOMPARE(mimeData->rasterRenderCount(), 1);
    QBuffer buffer;
    buffer.setData(png);
    QImageReader reader(&buffer);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), QSize(kWidth, kHeight));
    QCOMPARE(QColor(image.pixel(10, 40)).lightness() < 128, true); // the frame
    QCOMPARE(image.pixel(2, 2), qRgb(255, 255, 255));

    // The image form comes from the same rendering.
    const QImage viaImage = qvariant_cast<QImage>(offered->imageData());
    QCOMPARE(viaImage.size(), QSize(kWidth, kHeight));
    QCOMPARE(mimeData->rasterRenderCount(), 1);
}

void ClipboardPictureTest::clearingLeavesNoStalePicture()
{
    quill::putPictureOnClipboard(samplePicture());
    quill::clearClipboardPicture();
    bool ok = true;
    const QPicture picture = quill::pictureFromClipboard(&ok);
    QVERIFY(!ok);
    QVERIFY(picture.isNull());
}

void ClipboardPictureTest::foreignContentIsNoPicture_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("hello, clipboard");
    QByteArray truncated = quill::serializePicture(samplePicture());
    truncated.chop(truncated.size() / 2);
    QTest::newRow("truncated picture") << truncated;
}

void ClipboardPictureTest::foreignContentIsNoPicture()
{
    QFETCH(QByteArray, bytes);
    if (!bytes.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("QPicturePaintEngine::checkFormat")));
    auto *mimeData = new QMimeData;
    mimeData->setData(QString::fromLatin1(quill::kPictureMimeType), bytes);
    mimeData->setText(QStringLiteral("plain"));
    QGuiApplication::clipboard()->setMimeData(mimeData);
    bool ok = true;
    quill::pictureFromClipboard(&ok);
    QVERIFY(!ok);
}

QTEST_MAIN(ClipboardPictureTest)
#include "tst_clipboardpicture.moc"
