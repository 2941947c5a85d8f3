// One whole session for a peak-memory measurement (run it under /usr/bin/time -v): the example
// letter generated and shown, then "Zoom In" clicked until the zoom no longer grows, which leaves
// the letter drawn at the largest factor the canvas limits allow. Prints the resident set after each
// stage and the size of the canvas's persistent surface, so that the peak can be accounted for.
#include "BenchSupport.h"
#include "Form2.h"
#include "MemoryReuse.h"
#include "PictureBox.h"

#include <QApplication>
#include <QTextStream>

#include <exception>

using namespace quill;
using namespace quill::bench;

namespace {

constexpr double kBytesPerMB = 1e6;

QString megabytes(qint64 bytes)
{
    return QString::number(bytes / kBytesPerMB, 'f', 1) + QStringLiteral(" MB");
}

void printStage(QTextStream &out, const char *stage)
{
    out << "  " << stage << ": resident " << megabytes(residentBytes()) << ", peak so far "
        << megabytes(residentPeakBytes()) << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    // The program tunes its memory so; the measured process must too.
    quill::keepFreedMemoryForReuse();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream out(stdout);
    try {
        WorkPlace place;
        printStage(out, "started");
        WindowSession session;
        printStage(out, "main window shown");
        session.generate();
        printStage(out, "letter shown at zoom 1.0");

        float zoom = session.preview().zoom();
        for (;;) {
            session.zoomIn();
            if (session.preview().zoom() <= zoom)
                break;
            zoom = session.preview().zoom();
        }
        const QImage &surface = session.preview().Picture1->surface();
        const qint64 surfaceBytes = qint64(surface.width()) * surface.height() * surface.depth() / 8;
        printStage(out, "letter drawn at the largest zoom");
        out << "  largest zoom " << zoom << ", canvas " << surface.width() << " x " << surface.height()
            << " device pixels, " << surface.depth() << " bits each: surface " << megabytes(surfaceBytes) << Qt::endl;
        const QStringList messages = place.takeMessages();
        for (const QString &message : messages)
            out << "  message box: " << message << Qt::endl;
        return messages.isEmpty() ? 0 : 1;
    } catch (const std::exception &failure) {
        QTextStream(stderr) << "peak memory run failed: " << failure.what() << Qt::endl;
        return 1;
    }
}
