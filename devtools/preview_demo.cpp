// Developer tool: shows the preview window with a three-page letter-like picture, so that its look can
// be checked on a real display (for example Xvfb and a screenshot).
//   preview_demo [ZOOM_IN_PRESSES [DRAG_DX DRAG_DY]]
// Prints "ready" once the presses and the drag are done, and quits after a minute.
#include "Form2.h"
#include "Picture.h"
#include "PictureBox.h"

#include <QApplication>
#include <QPainter>
#include <QPicture>
#include <QPushButton>
#include <QTest>
#include <QTextStream>
#include <QTimer>

namespace {

constexpr int kPageWidth = 816;
constexpr int kPageHeight = 1056;
constexpr int kPages = 3;
constexpr int kMargin = 96;
constexpr int kLifetimeMs = 60000;

const char *const kParagraph =
    "Thank you for the time you gave us last week. As promised, we set out below how our studio would "
    "take your catalogue from first sketch to finished print, what each stage costs and when you can "
    "expect it. Every figure in this proposal is fixed for ninety days from the date of this letter.";

QPicture letter()
{
    QPicture picture;
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int page = 0; page < kPages; ++page) {
        const int top = page * kPageHeight;
        painter.fillRect(QRect(0, top, kPageWidth, kPageHeight), Qt::white);
        painter.setPen(QColor(0xc0, 0xc0, 0xc0));
        painter.drawLine(0, top + kPageHeight - 1, kPageWidth, top + kPageHeight - 1);
        painter.setPen(Qt::black);
        int y = top + kMargin;
        if (page == 0) {
            painter.setFont(QFont(QStringLiteral("Liberation Sans"), 16, QFont::Bold));
            painter.drawText(QRect(kMargin, y, kPageWidth - 2 * kMargin, 30), QStringLiteral("Quillfern Pitchcraft"));
            y += 60;
            painter.setFont(QFont(QStringLiteral("Liberation Serif"), 12));
            for (const char *line : {"Ms Orla Kestrelon", "Kestrelon Press", "14 Fern Lane", "Bramblewick, KS 40210", "",
                                     "March 4, 2026", "", "Dear Ms Kestrelon,"}) {
                painter.drawText(QPoint(kMargin, y), QString::fromLatin1(line));
                y += 22;
            }
            y += 10;
        }
        painter.setFont(QFont(QStringLiteral("Liberation Serif"), 12));
        for (int paragraph = 0; paragraph < 6 && y < top + kPageHeight - 2 * kMargin; ++paragraph) {
            const QRect area(kMargin, y, kPageWidth - 2 * kMargin, 120);
            QRect used;
            painter.drawText(area, Qt::TextWordWrap, QString::fromLatin1(kParagraph), &used);
            y += used.height() + 16;
        }
        painter.setPen(QPen(QColor(0x20, 0x40, 0x80), 2));
        painter.drawRect(QRect(kMargin, y, kPageWidth - 2 * kMargin, 60));
        painter.drawText(QRect(kMargin, y, kPageWidth - 2 * kMargin, 60), Qt::AlignCenter,
                         QStringLiteral("Page %1 of %2").arg(page + 1).arg(kPages));
    }
    painter.end();
    picture.setBoundingRect(QRect(0, 0, kPageWidth, kPages * kPageHeight));
    return picture;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    const int presses = arguments.value(1).toInt();
    const QPoint dragBy(arguments.value(2).toInt(), arguments.value(3).toInt());

    quill::Form2 form;
    form.Form_Load();
    form.setPicture(quill::Picture(letter()));
    form.show();

    QTimer::singleShot(500, &form, [&] {
        for (int press = 0; press < presses; ++press)
            form.PushButton1->click();
        if (!dragBy.isNull()) {
            const QPoint start(300, 250);
            QTest::mousePress(form.Picture1, Qt::LeftButton, {}, start - form.Picture1->pos());
            QTest::mouseMove(form.Picture1, start + dragBy - form.Picture1->pos());
            QTest::mouseRelease(form.Picture1, Qt::LeftButton, {}, start + dragBy - form.Picture1->pos());
        }
        QTextStream(stdout) << "ready" << Qt::endl;
    });
    QTimer::singleShot(kLifetimeMs, &application, &QApplication::quit);
    return application.exec();
}
