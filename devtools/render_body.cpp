// Developer tool: renders the body of a package with the layout library and writes one PNG per page,
// so that pages can be compared with LibreOffice's (pdftoppm -r 96). Prints the layout time.
//   render_body FILE.docx OUTPUT_PREFIX [SCALE [REPEAT]]
#include "AutomationObject.h"
#include "BodyLayout.h"
#include "ClipboardPicture.h"
#include "TextDocumentBuilder.h"
#include "WordDocument.h"

#include <QTextDocument>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 3) {
        err << "usage: render_body FILE.docx OUTPUT_PREFIX [SCALE]\n";
        return 2;
    }
    const qreal scale = arguments.size() > 3 ? arguments.at(3).toDouble() : 1.0;
    const int repeat = arguments.size() > 4 ? qMax(1, arguments.at(4).toInt()) : 1;

    // The parts as the engine reads them for its own snapshot.
    std::unique_ptr<quill::WordDocument> document;
    quill::LayoutSources sources;
    try {
        document = quill::WordDocument::open(arguments.at(1), true);
        sources = document->layoutSources();
    } catch (const quill::Error &error) {
        err << error.description() << "\n";
        return 1;
    }
    // Where the time goes: building and laying out the documents, and the whole render.
    {
        QElapsedTimer phase;
        phase.start();
        const quill::BuiltDocument built = quill::buildTextDocument(sources);
        out << "build and layout " << phase.nsecsElapsed() / 1.0e6 << " ms (" << built.pageCount() << " pages in "
            << built.runs.size() << " runs)\n";
    }
    // The first run paid for font loading; time the whole road twice.
    QElapsedTimer timer;
    timer.start();
    quill::BodyPicture body = quill::renderBody(sources);
    const qint64 firstNs = timer.nsecsElapsed();
    timer.restart();
    for (int i = 0; i < repeat; ++i)
        body = quill::renderBody(sources);
    const qint64 secondNs = timer.nsecsElapsed() / repeat;
    out << "pages " << body.pageCount << " page " << body.pageSize.width() << "x" << body.pageSize.height()
        << " first " << firstNs / 1.0e6 << " ms, again " << secondNs / 1.0e6 << " ms\n";

    const QImage all = quill::renderPicture(body.picture, scale);
    const int pageHeight = qRound(body.pageSize.height() * scale);
    for (int page = 0; page < body.pageCount; ++page) {
        const QImage image = all.copy(0, page * pageHeight, all.width(), pageHeight);
        image.save(QStringLiteral("%1-%2.png").arg(arguments.at(2)).arg(page + 1));
    }
    return 0;
}
