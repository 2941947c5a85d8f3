#include "LetterOutput.h"

#include <functional>

namespace quill {

namespace {

// Close without saving.
constexpr int kDoNotSaveChanges = 0;
// Word's WdExportFormat for PDF.
constexpr int kExportFormatPdf = 17;

// Opens the document at `documentPath` read-only in a word processor of its own, runs `use` on it, and
// closes both whatever happens.
void withDocument(const QString &documentPath, const std::function<void(const AutoObject &)> &use)
{
    const AutoObject word = CreateObject(QStringLiteral("Word.Application"));
    try {
        const AutoObject document = word.object(QStringLiteral("Documents"))
                                            .callObject(QStringLiteral("Open"), {Arg(documentPath), Omitted(), Arg(true)});
        use(document);
        document.call(QStringLiteral("Close"), {Arg(kDoNotSaveChanges)});
    } catch (...) {
        word.call(QStringLiteral("Quit"));
        throw;
    }
    word.call(QStringLiteral("Quit"));
}

} // namespace

QString letterExtension(LetterFormat format)
{
    return format == LetterFormat::Pdf ? QStringLiteral(".pdf") : QStringLiteral(".doc");
}

void saveLetter(const AutoObject &document, const QString &path, LetterFormat format)
{
    switch (format) {
    case LetterFormat::Doc:
        // The same SaveAs that "Start Creating Template" makes: a document package, whatever the extension.
        document.call(QStringLiteral("SaveAs"), {Arg(path)});
        return;
    case LetterFormat::Pdf:
        document.call(QStringLiteral("ExportAsFixedFormat"), {Arg(path), Arg(kExportFormatPdf)});
        return;
    }
}

void exportLetterPdf(const QString &documentPath, const QString &pdfPath)
{
    withDocument(documentPath, [&](const AutoObject &document) { saveLetter(document, pdfPath, LetterFormat::Pdf); });
}

void printLetter(const QString &documentPath, QPagedPaintDevice &printer)
{
    withDocument(documentPath, [&](const AutoObject &document) {
        document.call(QStringLiteral("PrintOut"), {Arg(QVariant::fromValue(static_cast<void *>(&printer)))});
    });
}

} // namespace quill
