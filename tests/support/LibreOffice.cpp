#include "LibreOffice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace quill::test {

namespace {

// How long one conversion or one poppler call may take, in milliseconds: LibreOffice needs a while
// to start with a new profile, a letter of three pages then takes a few seconds.
constexpr int kToolTimeoutMs = 180000;

const QString kSoffice = QStringLiteral("soffice");
const QString kPdfToText = QStringLiteral("pdftotext");
const QString kPdfInfo = QStringLiteral("pdfinfo");
const QString kPdfToPpm = QStringLiteral("pdftoppm");

bool installed(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace

const char *LibreOffice::missing(Tools tools)
{
    if (!installed(kSoffice))
        return "LibreOffice (soffice) is not installed";
    if (tools == Tools::WriterAndPoppler && (!installed(kPdfToText) || !installed(kPdfInfo) || !installed(kPdfToPpm)))
        return "poppler-utils (pdftotext, pdfinfo) is not installed";
    return nullptr;
}

LibreOffice::LibreOffice(const QString &workFolder)
    : m_workFolder(workFolder)
{
}

QByteArray LibreOffice::run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(kToolTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        m_error = QStringLiteral("%1 did not finish within %2 s").arg(program).arg(kToolTimeoutMs / 1000);
        return QByteArray();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = QStringLiteral("%1 failed (exit code %2): %3")
                      .arg(program)
                      .arg(process.exitCode())
                      .arg(QString::fromLocal8Bit(process.readAllStandardError()));
        return QByteArray();
    }
    return process.readAllStandardOutput();
}

QString LibreOffice::convert(const QString &path, const QString &filter, const QString &extension)
{
    m_error.clear();
    // A private profile, so that no user's settings or LibreOffice running elsewhere take part.
    const QString profile = QUrl::fromLocalFile(QDir(m_workFolder).filePath(QStringLiteral("profile"))).toString();
    const QString outFolder = QDir(m_workFolder).filePath(QStringLiteral("out"));
    const QString result = QDir(outFolder).filePath(QFileInfo(path).completeBaseName() + QLatin1Char('.') + extension);
    QFile::remove(result);
    const QByteArray output = run(kSoffice, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                                             QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), outFolder, path});
    // The file made is what counts: soffice's exit code is not always zero when it worked.
    if (QFileInfo::exists(result)) {
        m_error.clear();
        return result;
    }
    if (m_error.isEmpty())
        m_error = QStringLiteral("LibreOffice made no %1 of %2: %3").arg(extension, path, QString::fromLocal8Bit(output));
    return QString();
}

QString LibreOffice::text(const QString &path)
{
    const QString converted = convert(path, QStringLiteral("txt:Text (encoded):UTF8"), QStringLiteral("txt"));
    if (converted.isEmpty())
        return QString();
    QFile file(converted);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read %1").arg(converted);
        return QString();
    }
    return QString::fromUtf8(file.readAll());
}

QString LibreOffice::pdfText(const QString &pdf, int page)
{
    m_error.clear();
    QStringList arguments;
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    arguments << pdf << QStringLiteral("-");
    return QString::fromUtf8(run(kPdfToText, arguments));
}

int LibreOffice::pdfPageCount(const QString &pdf)
{
    m_error.clear();
    const QString info = QString::fromUtf8(run(kPdfInfo, {pdf}));
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = pages.match(info);
    if (!match.hasMatch()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("pdfinfo gave no page count: %1").arg(info);
        return -1;
    }
    return match.captured(1).toInt();
}

QList<QImage> LibreOffice::pdfPages(const QString &pdf, int dpi)
{
    m_error.clear();
    const QString prefix = QDir(m_workFolder).filePath(QFileInfo(pdf).completeBaseName() + QStringLiteral("-page"));
    run(kPdfToPpm, {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf, prefix});
    QList<QImage> pages;
    if (!m_error.isEmpty())
        return pages;
    const int count = pdfPageCount(pdf);
    for (int page = 1; page <= count; ++page) {
        // pdftoppm pads the page number to the width of the last one.
        const QString number = QStringLiteral("%1").arg(page, int(QString::number(count).size()), 10, QLatin1Char('0'));
        const QImage image(QStringLiteral("%1-%2.png").arg(prefix, number));
        if (image.isNull()) {
            m_error = QStringLiteral("pdftoppm made no image of page %1 of %2").arg(page).arg(pdf);
            return {};
        }
        pages.append(image);
    }
    return pages;
}

} // namespace quill::test
