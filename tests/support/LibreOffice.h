#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace quill::test {

// LibreOffice Writer, run headless with a private profile, reading documents as another program
// does; poppler's tools read the PDFs it makes. Where the tools are missing, tests skip
// (QUILL_SKIP_WITHOUT_LIBREOFFICE) rather than fail.
class LibreOffice
{
public:
    // The programs a test needs.
    enum class Tools { Writer, WriterAndPoppler };
    // Why the programs `tools` names cannot be used, for the skip message; null when all are installed.
    static const char *missing(Tools tools);

    // Keeps the profile and the converted files in `workFolder`, which must exist.
    explicit LibreOffice(const QString &workFolder);

    // Converts the document at `path` with the export filter `filter` ("pdf", "txt:Text (encoded):UTF8")
    // to a file with `extension`; returns its path, or an empty string with error() saying why.
    QString convert(const QString &path, const QString &filter, const QString &extension);
    // The document at `path` as UTF-8 text; empty with error() set when it could not be converted.
    QString text(const QString &path);
    // The document at `path` as PDF; returns the PDF's path, empty with error() set on failure.
    QString pdf(const QString &path) { return convert(path, QStringLiteral("pdf"), QStringLiteral("pdf")); }
    // The text of page `page` (from 1) of the PDF at `pdf`, or of all pages separated by form feeds when 0.
    QString pdfText(const QString &pdf, int page = 0);
    // The number of pages of the PDF at `pdf`, or -1 with error() set.
    int pdfPageCount(const QString &pdf);
    // Every page of the PDF at `pdf` as an image at `dpi`, in order; empty with error() set on failure.
    QList<QImage> pdfPages(const QString &pdf, int dpi = 96);
    // Why the last step failed.
    QString error() const { return m_error; }

private:
    // Runs `program` with `arguments`; returns its standard output, or sets m_error and returns nothing.
    QByteArray run(const QString &program, const QStringList &arguments);

    QString m_workFolder;
    QString m_error;
};

} // namespace quill::test

// Skips the current test, saying why, when a program `tools` (LibreOffice::Tools) names is not installed.
#define QUILL_SKIP_WITHOUT_LIBREOFFICE(tools)                                          \
    do {                                                                               \
        if (const char *quillMissingTools = quill::test::LibreOffice::missing(tools)) \
            QSKIP(quillMissingTools);                                                  \
    } while (false)
