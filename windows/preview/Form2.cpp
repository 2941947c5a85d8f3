#include "Form2.h"

#include "ErrorTrap.h"
#include "FileCopy.h"
#include "FileHelpers.h"
#include "LetterOutput.h"
#include "MessageBoxes.h"
#include "PrintDialog.h"
#include "PictureBox.h"
#include "Product.h"
#include "ProgramEnd.h"
#include "Theme.h"
#include "Units.h"
#include "WindowLook.h"
#include "ZoomAndScroll.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>

namespace quill {

namespace {

// Client area of the window, twips.
constexpr int kClientWidth = 9840;
constexpr int kClientHeight = 9390;
// Border widths in pixels: the viewport's fixed flat border, the store's sunken one.
constexpr int kViewportBorder = 1;
constexpr int kStoreBorder = 2;
// Subtracted from the store's inner size (twips) to get the source size that is drawn.
constexpr int kStoreCorrection = 2;
// The zoom factor of every set-up and of every refused drawing.
constexpr float kFallbackZoom = 1.0f;
// The direction argument of ZoomStep: 0 zooms in, anything else out.
constexpr int kZoomIn = 0;
constexpr int kZoomOut = 1;

const QString kLoadTag = procedureTag("Form2", "Form_Load");
const QString kActivateTag = procedureTag("Form2", "Form_Activate");
const QString kQueryUnloadTag = procedureTag("Form2", "Form_QueryUnload");
const QString kZoomInTag = procedureTag("Form2", "PushButton1_Click");
const QString kZoomOutTag = procedureTag("Form2", "PushButton2_Click");
const QString kSaveTag = procedureTag("Form2", "PushButton6_Click");
const QString kBackTag = procedureTag("Form2", "PushButton8_Click");
const QString kPrintTag = procedureTag("Form2", "PrintLetter");
const QString kMouseDownTag = procedureTag("Form2", "picture1_MouseDown");
const QString kMouseMoveTag = procedureTag("Form2", "picture1_MouseMove");
const QString kMouseUpTag = procedureTag("Form2", "Picture1_MouseUp");
const QString kRedrawTag = procedureTag("Form2", "RedrawImage");

const QString kSaveDialogTitle = QStringLiteral("Save File");
const QString kSaveFilter = QStringLiteral("Word Files (*.doc)|*.doc|PDF Files (*.pdf)|*.pdf");
// FilterIndex of "PDF Files" in kSaveFilter.
constexpr int kPdfFilterIndex = 2;
const QString kPdfExtension = QStringLiteral(".pdf");

// True when the letter is to be saved as PDF: the name says so, or the PDF filter was chosen.
bool savesAsPdf(const QString &name, int filterIndex)
{
    return name.endsWith(kPdfExtension, Qt::CaseInsensitive) || filterIndex == kPdfFilterIndex;
}

// The name the letter is saved under: with the PDF filter, a name typed without an extension gets ".pdf".
QString savedName(const QString &name, int filterIndex)
{
    if (filterIndex == kPdfFilterIndex && !name.isEmpty() && QFileInfo(name).suffix().isEmpty())
        return name + kPdfExtension;
    return name;
}

void setWhiteBackground(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// Sets a scrollbar up for `range`; `step` receives its twips per unit.
void applyScrollRange(QScrollBar &scrollBar, const ScrollRange &range, int &step)
{
    scrollBar.setEnabled(range.enabled);
    if (!range.enabled) {
        step = 0;
        return;
    }
    scrollBar.setMaximum(range.maximum);
    step = range.step;
    scrollBar.setValue(0);
}

} // namespace

Form2::Form2(QWidget *parent)
    : QWidget(parent)
    , m_pointer(this)
    , m_pointerRule(this, m_pointer)
{
    setWindowTitle(QStringLiteral("Form2"));
    setFont(windowFont());
    setFixedSize(twipsToWholePixels(kClientWidth), twipsToWholePixels(kClientHeight));
    setWhiteBackground(this);

    buildViewport();
    buildButtons();
    setTabOrder();

    setMouseTracking(true);
    installEventFilter(this);
    move(screen()->availableGeometry().center() - rect().center());

    // Ctrl+P, and the platform's print key where it has another.
    auto *print = new QShortcut(QKeySequence::Print, this);
    connect(print, &QShortcut::activated, this, &Form2::PrintLetter);
}

Form2::~Form2() = default;

void Form2::buildViewport()
{
    Picture2 = new QFrame(this);
    Picture2->setFrameStyle(QFrame::Box | QFrame::Plain);
    Picture2->setLineWidth(kViewportBorder);
    Picture2->setGeometry(twipsRect(120, 120, 9330, 7425));
    setWhiteBackground(Picture2);
    // The canvas lives in the inner area, which clips it inside the border.
    m_viewportInner = new QWidget(Picture2);
    m_viewportInner->setGeometry(Picture2->contentsRect());
    setWhiteBackground(m_viewportInner);

    Picture1 = new PictureBox(m_viewportInner);
    Picture1->setFrameStyle(QFrame::NoFrame);
    Picture1->setGeometry(twipsRect(0, 0, 2340, 3435));
    Picture1->installEventFilter(this);

    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setGeometry(twipsRect(120, 7545, 9330, 255));
    VScroll1 = new QScrollBar(Qt::Vertical, this);
    VScroll1->setGeometry(twipsRect(9450, 120, 255, 7425));
    for (QScrollBar *scrollBar : {HScroll1, VScroll1}) {
        scrollBar->setMinimum(0);
        scrollBar->setSingleStep(1);
        scrollBar->setPageStep(1);
        // The canvas follows the value, which changes when the thumb is released, not while it is dragged.
        scrollBar->setTracking(false);
        scrollBar->setFocusPolicy(Qt::StrongFocus);
        scrollBar->installEventFilter(this);
    }
    connect(HScroll1, &QScrollBar::valueChanged, this, &Form2::HScroll1_Change);
    connect(VScroll1, &QScrollBar::valueChanged, this, &Form2::VScroll1_Change);

    Zoom_Ori = new PictureBox(this);
    Zoom_Ori->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Zoom_Ori->setLineWidth(kStoreBorder);
    Zoom_Ori->setGeometry(twipsRect(10320, 480, 735, 375));
    Zoom_Ori->hide();

    Picture2->setFocusPolicy(Qt::StrongFocus);
    Picture1->setFocusPolicy(Qt::StrongFocus);
    for (QWidget *viewport : {static_cast<QWidget *>(Picture2), m_viewportInner})
        viewport->installEventFilter(this);
}

void Form2::buildButtons()
{
    Frame1 = new QGroupBox(QStringLiteral("Zoom:"), this);
    Frame1->setGeometry(twipsRect(120, 7860, 9600, 855));
    Frame1->setStyleSheet(kFrameStyleSheet);
    Frame1->setMouseTracking(true);
    Frame1->installEventFilter(this);

    m_pointerRule.addFrame(Frame1);

    makeButtons(this, m_pointerRule, {
        {&PushButton1, "Zoom In", Frame1, twipsRect(240, 300, 4440, 405), &Form2::PushButton1_Click},
        {&PushButton2, "Zoom Out", Frame1, twipsRect(4800, 300, 4560, 405), &Form2::PushButton2_Click},
        {&PushButton8, "< Back", this, twipsRect(120, 8850, 4680, 405), &Form2::PushButton8_Click},
        {&PushButton6, "Save Results To Word File", this, twipsRect(4920, 8850, 4800, 405), &Form2::PushButton6_Click},
    });
}

void Form2::setTabOrder()
{
    // Frame1 and Zoom_Ori take no focus; they keep their places in the chain all the same.
    const QList<QWidget *> chain = {HScroll1, VScroll1, Picture2, Picture1, Frame1,
                                    Zoom_Ori, PushButton1, PushButton2, PushButton6, PushButton8};
    chainTabOrder(chain);
}

void Form2::setPicture(const Picture &picture)
{
    Picture1->setPicture(picture);
}

void Form2::setMainWindow(QWidget *window)
{
    m_mainWindow = window;
}

int Form2::sourceLength(int innerPixels)
{
    return roundHalfEven(static_cast<double>(pixelsToWholeTwips(innerPixels)) - kStoreCorrection);
}

void Form2::Form_Load()
{
    ErrorTrap trap(kLoadTag);
    trap.run(100, [&] { mFirstActivation = true; });
    trap.run(102, [&] { applyColouring(this); });
    trap.run(104, [&] {
        setWindowTitle(kProductName);
        setWindowIcon(QIcon(QStringLiteral(":/icons/quillfern.png")));
    });
    loadHandPointer(trap, 108, 110, m_pointer);
}

void Form2::Form_Activate()
{
    ErrorTrap trap(kActivateTag);
    if (!trap.test(100, [&] { return !mFirstActivation; })) {
        // The canvas keeps its surface always (no switch needed) and is only ever painted with plain
        // copies of pictures, so no pen mode applies to it.
        trap.run(106, [&] { Picture1->setAutoSize(true); });
        trap.run(110, [&] { Picture1->setBackgroundColour(Qt::white); });

        trap.run(116, [&] { Zoom_Ori->hide(); });
        trap.run(118, [&] { Zoom_Ori->resize(Picture1->width(), Zoom_Ori->height()); });
        trap.run(120, [&] { Zoom_Ori->resize(Zoom_Ori->width(), Picture1->height()); });
        trap.run(122, [&] { Zoom_Ori->setPicture(Picture1->picture()); });

        trap.run(124, [&] { mZoom = kFallbackZoom; });
        trap.run(126, [&] { mOrigWidth = sourceLength(Zoom_Ori->contentsRect().width()); });
        trap.run(128, [&] { mOrigHeight = sourceLength(Zoom_Ori->contentsRect().height()); });
        trap.run(130, [&] { mZoomWidth = zoomedLength(mOrigWidth, kFallbackZoom); });
        trap.run(132, [&] { mZoomHeight = zoomedLength(mOrigHeight, kFallbackZoom); });
        trap.run(134, [&] { RedrawImage(); });
        trap.run(136, [&] { SetupScrollbars(); });
    }
    trap.run(138, [&] { mFirstActivation = false; });
}

void Form2::Form_QueryUnload()
{
    ErrorTrap trap(kQueryUnloadTag);
    trap.run(100, [&] { DeleteFileQuietly(mWordFile); });
    trap.run(102, [] { QCoreApplication::processEvents(); });
    trap.run(104, [] { QCoreApplication::processEvents(); });
}

void Form2::RedrawImage()
{
    ErrorTrap trap(kRedrawTag);
    trap.run(100, [&] { mZoomWidth = zoomedLength(mOrigWidth, mZoom); });
    trap.run(102, [&] { mZoomHeight = zoomedLength(mOrigHeight, mZoom); });
    if (trap.test(104, [&] { return fitsCanvasLimits(mZoomWidth, mZoomHeight); })) {
        trap.run(106, [&] { Picture1->removePicture(); });
        trap.run(108, [&] { Picture1->resize(twipsToWholePixels(mZoomWidth), Picture1->height()); });
        trap.run(110, [&] { Picture1->resize(Picture1->width(), twipsToWholePixels(mZoomHeight)); });
        // Without a letter picture (its snapshot failed and was reported) the canvas stays empty.
        if (!Zoom_Ori->picture().isNull()) {
            trap.run(112, [&] {
                Picture1->paintPicture(Zoom_Ori->picture(), pixelRect(mZoomWidth, mZoomHeight),
                                       pixelRect(mOrigWidth, mOrigHeight));
            });
        }
        trap.run(114, [&] { m_pointer.setValue(WindowPointer::Default); });
        trap.run(116, [&] { HScroll1->setValue(0); });
        trap.run(118, [&] { VScroll1->setValue(0); });
        trap.run(120, [&] { HScroll1->setEnabled(pixelsToWholeTwips(m_viewportInner->width()) < mZoomWidth); });
        trap.run(122, [&] { VScroll1->setEnabled(pixelsToWholeTwips(m_viewportInner->height()) < mZoomHeight); });
        return;
    }
    trap.run(124, [&] { mZoom = kFallbackZoom; });
    trap.run(126, [&] { mOrigWidth = sourceLength(Zoom_Ori->contentsRect().width()); });
    trap.run(128, [&] { mOrigHeight = sourceLength(Zoom_Ori->contentsRect().height()); });
    trap.run(130, [&] { mZoomWidth = zoomedLength(mOrigWidth, kFallbackZoom); });
    trap.run(132, [&] { mZoomHeight = zoomedLength(mOrigHeight, kFallbackZoom); });
}

void Form2::SetupScrollbars()
{
    Picture1->move(0, 0);
    applyScrollRange(*HScroll1, scrollRange(pixelsToWholeTwips(Picture1->width()), pixelsToWholeTwips(Picture2->width())), mHStep);
    applyScrollRange(*VScroll1, scrollRange(pixelsToWholeTwips(Picture1->height()), pixelsToWholeTwips(Picture2->height())), mVStep);
}

void Form2::ZoomStep(int direction)
{
    const float factor = direction == kZoomIn ? mZoom + kZoomStep : mZoom - kZoomStep;
    SetZoom(factor);
}

void Form2::SetZoom(float factor)
{
    if (!isZoomInRange(factor))
        return;
    mZoom = factor;
    RedrawImage();
    SetupScrollbars();
}

void Form2::HScroll1_Change()
{
    Picture1->move(twipsToWholePixels(scrollOffset(mHStep, HScroll1->value())), Picture1->y());
}

void Form2::VScroll1_Change()
{
    Picture1->move(Picture1->x(), twipsToWholePixels(scrollOffset(mVStep, VScroll1->value())));
}

void Form2::SetHScrollbarByPercent(QScrollBar &HScrollbar, int percent)
{
    if (const std::optional<int> value = valueForPercent(percent, HScrollbar.maximum()))
        HScrollbar.setValue(*value);
}

void Form2::SetVScrollbarByPercent(QScrollBar &VScrollbar, int percent)
{
    if (const std::optional<int> value = valueForPercent(percent, VScrollbar.maximum()))
        VScrollbar.setValue(*value);
}

void Form2::PushButton1_Click()
{
    ErrorTrap trap(kZoomInTag);
    trap.run(100, [&] { ZoomStep(kZoomIn); });
}

void Form2::PushButton2_Click()
{
    ErrorTrap trap(kZoomOutTag);
    trap.run(100, [&] { ZoomStep(kZoomOut); });
}

void Form2::PushButton6_Click()
{
    ErrorTrap trap(kSaveTag);
    int answer = 0;
    QString name;
    trap.run(106, [&] { CommonDialog1.FileName = QString(); });
    trap.run(108, [&] { CommonDialog1.DialogTitle = kSaveDialogTitle; });
    trap.run(110, [&] { CommonDialog1.Filter = kSaveFilter; });
    trap.run(112, [&] { CommonDialog1.ShowSave(this); });
    trap.run(114, [&] { name = savedName(CommonDialog1.FileName, CommonDialog1.FilterIndex); });
    const bool pdf = savesAsPdf(name, CommonDialog1.FilterIndex);
    if (!trap.test(116, [&] { return name.isEmpty(); })) {
        if (trap.test(118, [&] { return FileExists(name); })) {
            // "Yes" does not delete the old file first: the copy replaces it in one step, so a copy
            // that fails leaves the old file as it was.
            trap.run(120, [&] {
                answer = MessageBoxes::show(QStringLiteral("Are you sure you wish to overwrite ") + name + QStringLiteral(" ?"),
                                            MessageBoxes::YesNo);
            });
        } else {
            trap.run(126, [&] { answer = MessageBoxes::Yes; });
        }
    }
    // "Done." tells the user the letter was saved, so only a copy that succeeded earns it;
    // a cancelled dialog or "No" ends quietly, and a failed copy shows only its error box.
    if (trap.test(128, [&] { return answer == MessageBoxes::Yes; })) {
        const bool saved = trap.run(130, [&] {
            if (pdf)
                exportLetterPdf(mWordFile, name);
            else
                copyFileReplacing(mWordFile, name);
        });
        if (saved)
            trap.run(132, [] { MessageBoxes::show(QStringLiteral("Done."), MessageBoxes::OkOnly); });
    }
}

// Ctrl+P: the letter's pages on paper, through the system print dialog; Cancel prints nothing.
void Form2::PrintLetter()
{
    ErrorTrap trap(kPrintTag);
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    if (trap.test(100, [&] { return PrintDialog::ShowPrint(printer, this); })) {
        // The pages are drawn in logical pixels; the printer still receives vector text.
        printer.setResolution(int(kPixelsPerInch));
        trap.run(102, [&] { printLetter(mWordFile, printer); });
    }
}

void Form2::PushButton8_Click()
{
    ErrorTrap trap(kBackTag);
    trap.run(102, [&] { DeleteFileQuietly(mWordFile); });
    trap.run(104, [&] {
        if (m_mainWindow)
            m_mainWindow->show();
    });
    trap.run(106, [&] { hide(); });
    trap.run(108, [&] { mFirstActivation = true; });
}

void Form2::picture1_MouseDown(float x, float y)
{
    ErrorTrap trap(kMouseDownTag);
    trap.run(100, [&] { mDragStartX = x; });
    trap.run(102, [&] { mDragStartY = y; });
}

void Form2::picture1_MouseMove(Qt::MouseButtons buttons, float x, float y)
{
    ErrorTrap trap(kMouseMoveTag);
    if (trap.test(100, [&] { return buttons == Qt::NoButton; }))
        return;
    float newLeft = 0;
    float newTop = 0;
    trap.run(104, [&] { newLeft = pixelsToWholeTwips(Picture1->x()) - mDragStartX + x; });
    trap.run(106, [&] {
        newLeft = static_cast<float>(boundedDragEdge(newLeft, pixelsToWholeTwips(Picture1->width()), pixelsToWholeTwips(m_viewportInner->width())));
    });
    trap.run(114, [&] { newTop = pixelsToWholeTwips(Picture1->y()) - mDragStartY + y; });
    trap.run(116, [&] {
        newTop = static_cast<float>(boundedDragEdge(newTop, pixelsToWholeTwips(Picture1->height()), pixelsToWholeTwips(m_viewportInner->height())));
    });
    trap.run(124, [&] { Picture1->move(twipsToWholePixels(newLeft), twipsToWholePixels(newTop)); });
}

void Form2::Picture1_MouseUp()
{
    ErrorTrap trap(kMouseUpTag);
    int hPercent = 0;
    int vPercent = 0;
    trap.run(100, [&] { hPercent = dragPercent(pixelsToWholeTwips(Picture1->x()), pixelsToWholeTwips(Picture1->width()), pixelsToWholeTwips(Picture2->width())); });
    trap.run(102, [&] { vPercent = dragPercent(pixelsToWholeTwips(Picture1->y()), pixelsToWholeTwips(Picture1->height()), pixelsToWholeTwips(Picture2->height())); });
    trap.run(104, [&] { SetHScrollbarByPercent(*HScroll1, hPercent); });
    trap.run(106, [&] { SetVScrollbarByPercent(*VScroll1, vPercent); });
}

bool Form2::canvasMouseEvent(QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick && type != QEvent::MouseMove
        && type != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    const auto x = static_cast<float>(pixelsToTwips(mouse->position().x()));
    const auto y = static_cast<float>(pixelsToTwips(mouse->position().y()));
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second press of a double click grabs the page like any press
        picture1_MouseDown(x, y);
        return true;
    case QEvent::MouseMove:
        picture1_MouseMove(mouse->buttons(), x, y);
        return true;
    case QEvent::MouseButtonRelease:
        Picture1_MouseUp();
        return true;
    default:
        return false;
    }
}

bool Form2::event(QEvent *event)
{
    // An activation that arrives after "< Back" has hidden the window belongs to the last showing:
    // it must not run the next hand-over's set-up on the old page.
    if (event->type() == QEvent::WindowActivate && isVisible())
        Form_Activate();
    return QWidget::event(event);
}

void Form2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Activation comes late or not at all on some window systems; the set-up of a hand-over must
    // not wait for it. The activation that follows finds the set-up done and changes nothing.
    Form_Activate();
}

void Form2::closeEvent(QCloseEvent *event)
{
    Form_QueryUnload();
    event->accept();
    endProgram();
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Picture1)
        return canvasMouseEvent(event);
    return m_pointerRule.filter(watched, event);
}

} // namespace quill
