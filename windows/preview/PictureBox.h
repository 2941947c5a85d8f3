#pragma once

#include "Picture.h"

#include <QColor>
#include <QFrame>
#include <QImage>

namespace quill {

// A picture box: a frame whose inner area shows a persistent drawing surface. What is painted on
// the surface stays there, so moving or uncovering the box repaints from the surface and never
// re-renders a picture. An assigned picture is shown at its own size from the top-left corner,
// and with auto-size on the box takes its size. Sizes and positions are in logical pixels.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    // An empty box: no picture, white background, auto-size off.
    explicit PictureBox(QWidget *parent = nullptr);

    // The assigned picture; null when none.
    const Picture &picture() const { return m_picture; }
    // Assigns `picture`: the surface is cleared and shows it; with auto-size on, the inner size becomes its size.
    void setPicture(const Picture &picture);
    // Removes the assigned picture; the surface is cleared to the background colour.
    void removePicture();

    // Whether the box takes the size of the pictures assigned to it.
    bool autoSize() const { return m_autoSize; }
    // Turns auto-size on or off; turning it on sizes the box to the current picture at once.
    void setAutoSize(bool on);

    // The colour the surface is cleared to.
    QColor backgroundColour() const { return m_background; }
    // Sets the background colour and clears the surface to it (the assigned picture stays shown).
    void setBackgroundColour(const QColor &colour);

    // Paints the part `source` of `picture` stretched onto `target` of the surface, both in logical
    // pixels (`target` in the inner area's coordinates). Throws Error when there is no picture
    // or no surface could be made.
    void paintPicture(const Picture &picture, const QRectF &target, const QRectF &source);

    // The persistent surface: the inner size in device pixels of the box's screen.
    const QImage &surface();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void clearSurface();
    void ensureSurface();
    void fitToPicture();

    Picture m_picture;
    // Makes the store hold at least `bytes`, growing it (and dropping the surface) when it is smaller.
    void reserveStore(qsizetype bytes);
    // Makes a blank surface in the store's memory, growing the store when it is too small; null when it cannot be allocated.
    QImage blankSurface(const QSize &size, qreal ratio);

    // Made on first need (a hidden box never pays for one); null also when it could not be allocated.
    // It lies in the memory of m_store, which outlives a cleared surface, so that a surface made
    // again (every zoom step) reuses the pages already mapped instead of faulting in new ones.
    QImage m_surface;
    QImage m_store;
    QColor m_background = Qt::white;
    bool m_autoSize = false;
};

} // namespace quill
