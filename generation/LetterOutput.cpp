#include "LetterOutput.h"

#include "Error.h"

namespace quill {

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
        saveLetterPdf(document, path);
        return;
    }
}

void saveLetterPdf(const AutoObject &, const QString &)
{
    throw Error(Status::FormatUnavailable, QStringLiteral("PDF output is not available yet; write the letters as .doc."));
}

} // namespace quill
