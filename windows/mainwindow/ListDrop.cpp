#include "ListDrop.h"

#include "Error.h"
#include "FolderDialog.h"
#include "MergeRun.h"
#include "MessageBoxes.h"

#include <QApplication>
#include <QMimeData>
#include <QProgressDialog>
#include <QThread>
#include <QUrl>

#include <thread>

namespace quill {

namespace {

// The most problems the closing box lists; the rest are counted.
constexpr int kProblemsShown = 10;
// How often the progress dialog is brought up to date, in milliseconds.
constexpr unsigned long kProgressPollMs = 50;

QString reportText(const MergeReport &report, const QString &folder)
{
    QStringList lines{mergeSummary(report, folder)};
    for (size_t i = 0; i < report.problems.size() && i < size_t(kProblemsShown); ++i)
        lines << report.problems[i].message;
    if (report.problems.size() > size_t(kProblemsShown))
        lines << QStringLiteral("... and %1 more.").arg(report.problems.size() - size_t(kProblemsShown));
    if (!report.listError.isEmpty())
        lines << report.listError;
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace

QString droppedRecipientList(const QMimeData *data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return QString();
    const QUrl url = data->urls().constFirst();
    const QString path = url.isLocalFile() ? url.toLocalFile() : QString();
    return path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive) ? path : QString();
}

void mergeDroppedList(QWidget *parent, const QString &listPath)
{
    const QString folder = FolderDialog::choose(parent, QStringLiteral("Choose the folder for the letters"));
    if (folder.isEmpty())
        return;
    MergeOptions options;
    options.listPath = listPath;
    options.outputFolder = folder;
    options.jobs = QThread::idealThreadCount();
    std::unique_ptr<MergeRun> run;
    try {
        run = std::make_unique<MergeRun>(options);
    } catch (const Error &error) {
        MessageBoxes::show(error.description(), MessageBoxes::Exclamation);
        return;
    }

    QProgressDialog progress(QStringLiteral("Writing the letters..."), QStringLiteral("Cancel"), 0,
                             int(qMin<qint64>(RecipientList::countRows(listPath), INT_MAX)), parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    std::atomic<bool> stop{false};
    std::atomic<qint64> handled{0};
    MergeReport report;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        report = run->run(stop, [&handled](qint64 count) { handled = count; });
        finished = true;
    });
    while (!finished) {
        progress.setValue(int(qMin<qint64>(handled, progress.maximum())));
        QApplication::processEvents(QEventLoop::AllEvents, int(kProgressPollMs));
        if (progress.wasCanceled())
            stop = true;
        QThread::msleep(kProgressPollMs);
    }
    worker.join();
    progress.reset();
    MessageBoxes::show(reportText(report, folder), report.problems.empty() && report.listError.isEmpty() ? MessageBoxes::OkOnly : MessageBoxes::Exclamation);
}

} // namespace quill
