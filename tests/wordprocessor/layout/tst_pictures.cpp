#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "Packages.h"
#include "WordDocument.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>

using quill::test::DocumentRecipe;

namespace {

// The default page: US Letter with one-inch margins, in logical pixels.
constexpr int kMargin = 96;
// Every test picture: two inches by one, in EMU and logical pixels.
constexpr char kExtent[] = R"(cx="1828800" cy="914400")";
const QRect kPictureSize(0, 0, 192, 96);
const QColor kPictureColor(200, 30, 40);

QByteArray pictureBytes(const char *format, QSize size = QSize(40, 20))
{
    if (qstrcmp(format, "gif") == 0) {
        // Qt reads GIF but does not write it: one pixel of the picture's colour.
        static const unsigned char gif[] = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 200, 30, 40, 0, 0, 0,
                                            ',', 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 1, 0, ';'};
        return QByteArray(reinterpret_cast<const char *>(gif), sizeof gif);
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(kPictureColor);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A PNG whose header declares `size`, followed by no image data.
QByteArray declaredPng(QSize size)
{
    QByteArray png = pictureBytes("PNG");
    // The IHDR chunk follows the 8-byte signature and its own 8-byte length and type; its CRC covers type and data.
    constexpr int kHeaderData = 16;
    constexpr int kHeaderLength = 13;
    qToBigEndian<quint32>(quint32(size.width()), png.data() + kHeaderData);
    qToBigEndian<quint32>(quint32(size.height()), png.data() + kHeaderData + 4);
    quint32 crc = 0xffffffffu;
    for (int i = kHeaderData - 4; i < kHeaderData + kHeaderLength; ++i) {
        crc ^= quint8(png.at(i));
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    qToBigEndian<quint32>(~crc, png.data() + kHeaderData + kHeaderLength);
    return png.left(kHeaderData + kHeaderLength + 4);
}

QByteArray graphic(const QByteArray &relationshipId)
{
    return R"(<a:graphic><a:graphicData uri="http://schemas.openxmlformats.org/drawingml/2006/picture">)"
           R"(<pic:pic xmlns:pic="http://schemas.openxmlformats.org/drawingml/2006/picture"><pic:blipFill>)"
           R"(<a:blip r:embed=")" + relationshipId + R"("/></pic:blipFill></pic:pic></a:graphicData></a:graphic>)";
}

QByteArray inlinePicture(const QByteArray &relationshipId = "rIdPicture1")
{
    return QByteArray(R"(<w:r><w:drawing><wp:inline><wp:extent )") + kExtent + "/>" + graphic(relationshipId)
           + "</wp:inline></w:drawing></w:r>";
}

QByteArray anchoredPicture(const QByteArray &wrap, const QByteArray &horizontal, const QByteArray &vertical)
{
    return QByteArray(R"(<w:r><w:drawing><wp:anchor distT="0" distB="0" distL="0" distR="0" behindDoc="0">)")
           + "<wp:positionH " + horizontal + "</wp:positionH><wp:positionV " + vertical + "</wp:positionV>"
           + "<wp:extent " + kExtent + "/>" + wrap + graphic("rIdPicture1") + "</wp:anchor></w:drawing></w:r>";
}

// Whether a pixel is close to `color`, allowing for a lossy format's error.
bool near(QRgb pixel, const QColor &color)
{
    constexpr int kTolerance = 24;
    return qAbs(qRed(pixel) - color.red()) <= kTolerance && qAbs(qGreen(pixel) - color.green()) <= kTolerance
           && qAbs(qBlue(pixel) - color.blue()) <= kTolerance;
}

// How many of the pixels inside `rect` are not white.
int inked(const QImage &image, const QRect &rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x)
            count += qGray(image.pixel(x, y)) < 200;
    }
    return count;
}

} // namespace

class PicturesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pictureAtItsSizeAndPlace_data();
    void pictureAtItsSizeAndPlace();
    void hostilePictureKeepsItsPlace_data();
    void hostilePictureKeepsItsPlace();
    void textBoxTextIsDrawn_data();
    void textBoxTextIsDrawn();
    void formCheckBoxShowsItsState();

private:
    QImage render(const DocumentRecipe &recipe, int *pageCount = nullptr);

    QTemporaryDir m_folder;
    int m_documents = 0;
};

void PicturesTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
}

// The first page of the package of `recipe`, as the engine opens and renders it.
QImage PicturesTest::render(const DocumentRecipe &recipe, int *pageCount)
{
    const QString path = m_folder.filePath(QStringLiteral("%1.docx").arg(++m_documents));
    if (!quill::test::writeDocument(path, recipe))
        return QImage();
    const std::unique_ptr<quill::WordDocument> document = quill::WordDocument::open(path, true);
    const quill::BodyPicture body = quill::renderBody(document->layoutSources());
    if (pageCount)
        *pageCount = body.pageCount;
    return quill::renderPicture(body.picture).copy(QRect(QPoint(), body.pageSize));
}

void PicturesTest::pictureAtItsSizeAndPlace_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QPoint>("place");

    const QByteArray after = quill::test::run("After");
    const QPoint column(kMargin, kMargin);
    QTest::newRow("inline png") << quill::test::paragraph(inlinePicture() + after) << QByteArray("png") << column;
    QTest::newRow("inline jpeg") << quill::test::paragraph(inlinePicture()) << QByteArray("jpeg") << column;
    QTest::newRow("inline gif") << quill::test::paragraph(inlinePicture()) << QByteArray("gif") << column;
    QTest::newRow("inline bmp") << quill::test::paragraph(inlinePicture()) << QByteArray("bmp") << column;
    QTest::newRow("vml picture")
        << quill::test::paragraph(R"(<w:r><w:pict><v:shape style="width:144pt;height:72pt"><v:imagedata r:id="rIdPicture1"/></v:shape></w:pict></w:r>)")
        << QByteArray("png") << column;
    // Too wide to stand beside the text before it: it goes down a line, which keeps the text's height.
    QTest::newRow("too wide for its line")
        << quill::test::paragraph(quill::test::run("Before") + R"(<w:r><w:pict><v:shape style="width:460pt;height:72pt"><v:imagedata r:id="rIdPicture1"/></v:shape></w:pict></w:r>)")
        << QByteArray("png") << QPoint(kMargin, kMargin + 15);
    QTest::newRow("alternate content: the choice")
        << quill::test::paragraph("<w:r><mc:AlternateContent><mc:Choice Requires=\"wps\"><w:drawing><wp:inline><wp:extent "
                                  + QByteArray(kExtent) + "/>" + graphic("rIdPicture1")
                                  + "</wp:inline></w:drawing></mc:Choice><mc:Fallback><w:pict/></mc:Fallback></mc:AlternateContent></w:r>")
        << QByteArray("png") << column;
    QTest::newRow("in front of text, from the page's corner")
        << quill::test::paragraph(anchoredPicture("<wp:wrapNone/>", R"(relativeFrom="page"><wp:posOffset>2743200</wp:posOffset>)",
                                                  R"(relativeFrom="page"><wp:posOffset>2743200</wp:posOffset>)") + after)
        << QByteArray("png") << QPoint(288, 288);
    QTest::newRow("text beside it, at the column's right edge")
        << quill::test::paragraph(anchoredPicture("<wp:wrapSquare/>", R"(relativeFrom="margin"><wp:align>right</wp:align>)",
                                                  R"(relativeFrom="paragraph"><wp:posOffset>0</wp:posOffset>)") + after)
        << QByteArray("png") << QPoint(816 - kMargin - kPictureSize.width(), kMargin);
    QTest::newRow("a block of its own, below the paragraph's top")
        << quill::test::paragraph(anchoredPicture("<wp:wrapTopAndBottom/>", R"(relativeFrom="column"><wp:posOffset>914400</wp:posOffset>)",
                                                          R"(relativeFrom="paragraph"><wp:posOffset>457200</wp:posOffset>)") + after)
        << QByteArray("png") << QPoint(kMargin + 96, kMargin + 48);
}

void PicturesTest::pictureAtItsSizeAndPlace()
{
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, format);
    QFETCH(QPoint, place);

    DocumentRecipe recipe;
    recipe.body = body;
    recipe.extraEntries = {{QStringLiteral("word/media/picture.") + QString::fromLatin1(format), pictureBytes(format.constData())}};
    const QImage page = render(recipe);
    QVERIFY(!page.isNull());
    const QRect expected = kPictureSize.translated(place);
    // Inside its rectangle it shows its colour to within a pixel of each edge, and just outside it does not.
    for (const QPoint &inside : {expected.topLeft() + QPoint(1, 1), expected.bottomRight() - QPoint(1, 1),
                                 expected.center()}) {
        QVERIFY2(near(page.pixel(inside), kPictureColor), qPrintable(QStringLiteral("(%1, %2) is %3").arg(inside.x())
                     .arg(inside.y()).arg(QColor(page.pixel(inside)).name())));
    }
    for (const QPoint &outside : {expected.topLeft() - QPoint(2, 2), expected.bottomRight() + QPoint(2, 2)})
        QVERIFY(!near(page.pixel(outside), kPictureColor));
}

void PicturesTest::hostilePictureKeepsItsPlace_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("relationshipId");

    const QByteArray png = pictureBytes("PNG");
    QTest::newRow("missing part") << png << QByteArray("rIdNowhere");
    QTest::newRow("truncated") << png.left(png.size() / 2) << QByteArray("rIdPicture1");
    QTest::newRow("not a picture") << QByteArray("Dear Sir, this is no picture.") << QByteArray("rIdPicture1");
    QTest::newRow("empty") << QByteArray() << QByteArray("rIdPicture1");
    QTest::newRow("declares 30000 x 30000") << declaredPng(QSize(30000, 30000)) << QByteArray("rIdPicture1");
    QTest::newRow("declares 30000 x 30000, huge when drawn") << declaredPng(QSize(30000, 30000)) << QByteArray("rIdHuge");
}

void PicturesTest::hostilePictureKeepsItsPlace()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, relationshipId);

    DocumentRecipe recipe;
    QByteArray picture = inlinePicture(relationshipId == "rIdHuge" ? "rIdPicture1" : relationshipId);
    if (relationshipId == "rIdHuge")
        picture.replace(kExtent, R"(cx="285750000" cy="285750000")"); // 30000 pixels square
    recipe.body = quill::test::paragraph(picture + quill::test::run("After"));
    recipe.extraEntries = {{QStringLiteral("word/media/picture.png"), bytes}};
    int pageCount = 0;
    const QImage page = render(recipe, &pageCount);
    QVERIFY(!page.isNull());
    QVERIFY(pageCount >= 1);
    if (relationshipId == "rIdHuge")
        return; // drawn empty, on pages of its own
    // An empty frame of the picture's size: nothing drawn there, and the text after it in its place.
    const QRect frame = kPictureSize.translated(kMargin, kMargin);
    QCOMPARE(inked(page, frame.adjusted(0, 0, -1, -1)), 0);
    QVERIFY(inked(page, QRect(frame.right() + 1, frame.top(), 60, frame.height())) > 0);
    QCOMPARE(inked(page, QRect(kMargin + 60, frame.bottom() + 8, 400, 200)), 0);
}

void PicturesTest::textBoxTextIsDrawn_data()
{
    QTest::addColumn<QByteArray>("body");

    const QByteArray content = R"(<w:txbxContent><w:p><w:r><w:rPr><w:sz w:val="40"/></w:rPr><w:t>Boxed text</w:t></w:r></w:p></w:txbxContent>)";
    // A box of 192 x 96 pixels at (288, 384) on the page, outlined in black.
    QTest::newRow("drawingml") << quill::test::paragraph(
        R"(<w:r><w:drawing><wp:anchor distT="0" distB="0" distL="0" distR="0" behindDoc="0">)"
        R"(<wp:positionH relativeFrom="page"><wp:posOffset>2743200</wp:posOffset></wp:positionH>)"
        R"(<wp:positionV relativeFrom="page"><wp:posOffset>3657600</wp:posOffset></wp:positionV>)"
        R"(<wp:extent cx="1828800" cy="914400"/><wp:wrapNone/><a:graphic>)"
        R"(<a:graphicData uri="http://schemas.microsoft.com/office/word/2010/wordprocessingShape"><wps:wsp>)"
        R"(<wps:spPr><a:ln w="19050"><a:solidFill><a:srgbClr val="000000"/></a:solidFill></a:ln></wps:spPr>)"
        R"(<wps:txbx>)" + content + R"(</wps:txbx><wps:bodyPr/></wps:wsp></a:graphicData></a:graphic></wp:anchor></w:drawing></w:r>)");
    QTest::newRow("vml") << quill::test::paragraph(
        R"(<w:r><w:pict><v:shape style="position:absolute;margin-left:216pt;margin-top:288pt;width:144pt;height:72pt;)"
        R"(mso-position-horizontal-relative:page;mso-position-vertical-relative:page" strokeweight="1.5pt">)"
        R"(<v:textbox>)" + content + R"(</v:textbox></v:shape></w:pict></w:r>)");
}

void PicturesTest::textBoxTextIsDrawn()
{
    QFETCH(QByteArray, body);

    DocumentRecipe recipe;
    recipe.body = body;
    const QImage page = render(recipe);
    QVERIFY(!page.isNull());
    const QRect box(288, 384, 192, 96);
    // The outline on each edge, the text inside (within the insets), nothing around the box.
    QVERIFY(qGray(page.pixel(box.left(), box.center().y())) < 100);
    QVERIFY(qGray(page.pixel(box.right(), box.center().y())) < 100);
    QVERIFY(qGray(page.pixel(box.center().x(), box.top())) < 100);
    QVERIFY(inked(page, QRect(box.left() + 8, box.top() + 4, box.width() - 16, 32)) > 50);
    QCOMPARE(inked(page, box.adjusted(-40, -40, 40, 40)) - inked(page, box.adjusted(-2, -2, 2, 2)), 0);
}

void PicturesTest::formCheckBoxShowsItsState()
{
    const auto checkBox = [](const QByteArray &state) {
        return "<w:r><w:fldChar w:fldCharType=\"begin\"><w:ffData><w:checkBox><w:sizeAuto/>" + state
               + "</w:checkBox></w:ffData></w:fldChar></w:r><w:r><w:instrText> FORMCHECKBOX </w:instrText></w:r>"
                 "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>";
    };
    DocumentRecipe recipe;
    recipe.body = quill::test::paragraph(checkBox(R"(<w:default w:val="0"/>)") + quill::test::run("No"))
                  + "<w:p/>" + quill::test::paragraph(checkBox(R"(<w:default w:val="0"/><w:checked/>)") + quill::test::run("Yes"));
    const QImage page = render(recipe);
    QVERIFY(!page.isNull());
    // Two boxes at the column's left edge, their left sides inked runs down its first pixel column; only the
    // checked one is crossed in its middle.
    std::vector<std::pair<int, int>> sides; // top and bottom of each run
    for (int y = kMargin; y < kMargin + 100; ++y) {
        if (qGray(page.pixel(kMargin, y)) >= 200)
            continue;
        if (sides.empty() || sides.back().second < y - 1)
            sides.emplace_back(y, y);
        sides.back().second = y;
    }
    QCOMPARE(sides.size(), size_t(2));
    const auto middle = [](const std::pair<int, int> &side) {
        const int height = side.second - side.first;
        return QRect(kMargin + height / 3, side.first + height / 3, height / 3, height / 3);
    };
    QCOMPARE(inked(page, middle(sides[0])), 0);
    QVERIFY(inked(page, middle(sides[1])) > 0);
}

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
