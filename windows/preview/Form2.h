#pragma once

#include "Picture.h"
#include "Pointer.h"
#include "WindowParts.h"
#include "SaveDialog.h"

#include <QPointer>
#include <QSize>
#include <QWidget>

class QFrame;
class QGroupBox;
class QPushButton;
class QScrollBar;

namespace quill {

class PictureBox;

// The preview window: the generated letter's page picture on a canvas inside a viewport, with zoom,
// scrollbars and drag-panning, and the buttons that save the letter or go back to the main window.
// Created once, loaded once, then shown for each hand-over and hidden by "< Back".
// Every length the window keeps (sizes, positions, scroll steps, the drag point) is in twips,
// 15 to a logical pixel; the widgets themselves are placed in logical pixels.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    // Builds the window and its controls; Form_Load finishes the set-up.
    explicit Form2(QWidget *parent = nullptr);
    // Destroys the window (the temporary document is left to the closing routine).
    ~Form2() override;

    // The load routine, run once: colouring, caption, icon and the hand pointer; arms the set-up.
    void Form_Load();
    // Runs on every activation: after a hand-over it takes the canvas's picture as the source and
    // shows it at zoom 1.0 at the viewport's top-left; other activations change nothing.
    void Form_Activate();
    // The closing routine: deletes the temporary result document and lets pending events run twice.
    void Form_QueryUnload();

    // Hand-over, first step: assigns the page picture to the canvas, which takes its size and shows it.
    void setPicture(const Picture &picture);
    // The window that "< Back" shows again.
    void setMainWindow(QWidget *window);

    // Sets `HScrollbar` to `percent` of its maximum (nearest value, a half to even); outside 0..100 nothing changes.
    void SetHScrollbarByPercent(QScrollBar &HScrollbar, int percent);
    // Sets `VScrollbar` to `percent` of its maximum in the same way.
    void SetVScrollbarByPercent(QScrollBar &VScrollbar, int percent);

    // The zoom factor: 1.0 is the picture's own size; one of 0.25, 0.5, ... 4.0 after a set-up.
    float zoom() const { return mZoom; }
    // The size of the source picture that is drawn, in twips.
    QSize originalSize() const { return QSize(mOrigWidth, mOrigHeight); }
    // The canvas's size at the current zoom, in twips.
    QSize zoomedSize() const { return QSize(mZoomWidth, mZoomHeight); }
    // Twips of canvas movement per horizontal scrollbar unit: 0, 1 or 10.
    int horizontalStep() const { return mHStep; }
    // Twips of canvas movement per vertical scrollbar unit: 0, 1 or 10.
    int verticalStep() const { return mVStep; }
    // The window's pointer (0 default, 11 hourglass, 99 hand).
    WindowPointer &pointer() { return m_pointer; }

    // Path of the temporary result document: what "Save" copies; deleted on "< Back" and on closing.
    QString mWordFile;

    // The viewport: white, with a fixed border; its inner area clips the canvas.
    QFrame *Picture2 = nullptr;
    // The canvas that carries the page, moved inside the viewport's inner area.
    PictureBox *Picture1 = nullptr;
    // The never visible store of the unzoomed source picture.
    PictureBox *Zoom_Ori = nullptr;
    // The scrollbar below the viewport.
    QScrollBar *HScroll1 = nullptr;
    // The scrollbar right of the viewport.
    QScrollBar *VScroll1 = nullptr;
    // The "Zoom:" frame around the two zoom buttons.
    QGroupBox *Frame1 = nullptr;
    // "Zoom In".
    QPushButton *PushButton1 = nullptr;
    // "Zoom Out".
    QPushButton *PushButton2 = nullptr;
    // "Save Results To Word File".
    QPushButton *PushButton6 = nullptr;
    // "< Back".
    QPushButton *PushButton8 = nullptr;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildViewport();
    void buildButtons();
    void setTabOrder();
    bool canvasMouseEvent(QEvent *event);

    void RedrawImage();
    void SetupScrollbars();
    void ZoomStep(int direction);
    void SetZoom(float factor);
    void HScroll1_Change();
    void VScroll1_Change();
    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton6_Click();
    void PrintLetter();
    void PushButton8_Click();
    void picture1_MouseDown(float x, float y);
    void picture1_MouseMove(Qt::MouseButtons buttons, float x, float y);
    void Picture1_MouseUp();

    // The store's inner length (twips) less the store correction: the source length that is drawn.
    static int sourceLength(int innerPixels);
    // The viewport's inner area, which holds the canvas.
    QWidget *m_viewportInner = nullptr;
    SaveDialog CommonDialog1;
    WindowPointer m_pointer;
    PointerRule m_pointerRule;
    QPointer<QWidget> m_mainWindow;

    bool mFirstActivation = false;
    float mZoom = 0;
    int mOrigWidth = 0;
    int mOrigHeight = 0;
    int mZoomWidth = 0;
    int mZoomHeight = 0;
    int mHStep = 0;
    int mVStep = 0;
    float mDragStartX = 0;
    float mDragStartY = 0;
};

} // namespace quill
