#include "MergeRun.h"

#include "Error.h"
#include "FileHelpers.h"
#include "LetterWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace quill {

namespace {

// Rows waiting for a worker, per worker: enough to keep them busy, few enough to keep memory flat.
constexpr size_t kQueuedRowsPerWorker = 4;
// Below this much free space a folder counts as full (bytes).
constexpr qint64 kMinimumFreeBytes = 1 << 20;
// How often a waiting worker or reader looks at the stop flag, which a signal handler sets.
constexpr std::chrono::milliseconds kStopPoll(50);
// Exit status of a run stopped by the user (as a shell reports a process ended by SIGINT).
constexpr int kStoppedStatus = 130;

void checkOutputFolder(const QString &folder)
{
    const QString shown = QDir::toNativeSeparators(folder);
    const QFileInfo info(folder);
    if (!info.exists())
        throw Error(Status::OutputFolderUnusable, QStringLiteral("The output folder %1 does not exist; create it first.").arg(shown));
    if (!info.isDir())
        throw Error(Status::OutputFolderUnusable, QStringLiteral("The output folder %1 is a file, not a folder.").arg(shown));
    QTemporaryFile probe(joinPath(folder, QStringLiteral(".quillfern-XXXXXX.part")));
    if (!probe.open())
        throw Error(Status::OutputFolderUnusable, QStringLiteral("Cannot write into the output folder %1: %2").arg(shown, probe.errorString()));
    const QStorageInfo storage(folder);
    if (storage.isValid() && storage.bytesAvailable() >= 0 && storage.bytesAvailable() < kMinimumFreeBytes)
        throw Error(Status::OutputFolderUnusable, QStringLiteral("The output folder %1 is full.").arg(shown));
}

// The template to copy, once the output folder passed its check: a run that cannot write copies nothing.
const QString &templateOnceFolderChecked(const MergeOptions &options)
{
    checkOutputFolder(options.outputFolder);
    return options.templatePath;
}

bool allEmpty(const QStringList &cells)
{
    return std::all_of(cells.begin(), cells.end(), [](const QString &cell) { return cell.isEmpty(); });
}

} // namespace

// One letter to make: the row's line, its fields and the file name (without extension) it was given.
struct Job
{
    qint64 line;
    std::vector<FieldReplacement> fields;
    QString name;
};

// The rows waiting for the workers, and what the workers have made of them.
struct MergeRun::Queue
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    size_t capacity = 1;
    bool closed = false;
    MergeReport report;
    qint64 handled = 0;

    // Waits for room and queues `job`; false when the run is stopping.
    bool push(Job job, const std::atomic<bool> &stop)
    {
        std::unique_lock lock(mutex);
        while (jobs.size() >= capacity && !stop)
            changed.wait_for(lock, kStopPoll);
        if (stop)
            return false;
        jobs.push_back(std::move(job));
        changed.notify_all();
        return true;
    }

    // Waits for a job; false when none will come.
    bool pop(Job &job, const std::atomic<bool> &stop)
    {
        std::unique_lock lock(mutex);
        while (jobs.empty() && !closed && !stop)
            changed.wait_for(lock, kStopPoll);
        if (stop || jobs.empty())
            return false;
        job = std::move(jobs.front());
        jobs.pop_front();
        changed.notify_all();
        return true;
    }

    void close()
    {
        std::lock_guard lock(mutex);
        closed = true;
        changed.notify_all();
    }

    // Counts one handled row, as written or with its problem, and tells `progress`.
    void finish(const MergeProblem *problem, const std::function<void(qint64)> &progress)
    {
        std::lock_guard lock(mutex);
        if (problem) {
            ++report.skipped;
            report.problems.push_back(*problem);
        } else {
            ++report.written;
        }
        ++handled;
        if (progress)
            progress(handled);
    }
};

MergeRun::MergeRun(MergeOptions options)
    : m_options(std::move(options))
    , m_list(m_options.listPath)
    , m_columns(m_options.listPath, m_list.header())
    , m_pattern(m_options.namePattern)
    , m_template(templateOnceFolderChecked(m_options))
    , m_stored(storedFields())
{
    m_options.jobs = std::max(1, m_options.jobs);
    newFilePermissions();
}

MergeRun::~MergeRun() = default;

const QStringList &MergeRun::notes() const
{
    return m_columns.ignoredColumns();
}

std::vector<LetterTarget> MergeRun::targetsFor(const QString &name) const
{
    std::vector<LetterTarget> targets;
    for (const LetterFormat format : m_options.formats)
        targets.push_back({joinPath(m_options.outputFolder, name + letterExtension(format)), format});
    return targets;
}

MergeReport MergeRun::run(const std::atomic<bool> &stop, const std::function<void(qint64)> &progress)
{
    Queue queue;
    queue.capacity = kQueuedRowsPerWorker * size_t(m_options.jobs);
    // Qt threads: the layout of a PDF letter uses Qt's timers, which only Qt's threads may run.
    std::vector<std::unique_ptr<QThread>> workers;
    for (int i = 0; i < m_options.jobs; ++i) {
        workers.emplace_back(QThread::create([&] { work(queue, stop, progress); }));
        workers.back()->start();
    }

    NameBook names;
    RecipientRow row;
    const auto reject = [&](const QString &text) {
        const MergeProblem problem{row.line, lineMessage(m_options.listPath, row.line, text)};
        queue.finish(&problem, progress);
    };
    try {
        while (!stop && m_list.next(row)) {
            if (!row.problem.isEmpty()) {
                reject(row.problem + QStringLiteral("; row skipped."));
                continue;
            }
            // A row of empty cells is what spreadsheets write for an empty line: no recipient.
            if (allEmpty(row.fields))
                continue;
            if (row.fields.size() != m_columns.columnCount()) {
                reject(QStringLiteral("the row has %1 cells but the header %2; row skipped.").arg(row.fields.size()).arg(m_columns.columnCount()));
                continue;
            }
            std::vector<FieldReplacement> fields = m_columns.fields(row, m_stored);
            const QString name = names.claim(m_pattern.nameFor(fields, row.line));
            if (!queue.push({row.line, std::move(fields), name}, stop))
                break;
        }
    } catch (const Error &error) {
        queue.report.listError = error.description();
    }
    queue.close();
    for (const std::unique_ptr<QThread> &worker : workers)
        worker->wait();

    MergeReport report = std::move(queue.report);
    report.stopped = stop;
    std::sort(report.problems.begin(), report.problems.end(),
              [](const MergeProblem &a, const MergeProblem &b) { return a.line < b.line; });
    return report;
}

void MergeRun::work(Queue &queue, const std::atomic<bool> &stop, const std::function<void(qint64)> &progress)
{
    std::unique_ptr<LetterWriter> writer;
    Job job;
    while (queue.pop(job, stop)) {
        try {
            if (!writer)
                writer = std::make_unique<LetterWriter>(m_template.path());
            writer->write(job.fields, targetsFor(job.name), m_options.replace);
            queue.finish(nullptr, progress);
        } catch (const std::exception &error) {
            const QString text = dynamic_cast<const Error *>(&error) ? static_cast<const Error &>(error).description()
                                                                     : QString::fromUtf8(error.what());
            const MergeProblem problem{job.line, lineMessage(m_options.listPath, job.line, text)};
            queue.finish(&problem, progress);
        }
    }
}

QString mergeSummary(const MergeReport &report, const QString &outputFolder)
{
    QString summary = QStringLiteral("%1 %2 written to %3")
                              .arg(report.written)
                              .arg(report.written == 1 ? QStringLiteral("letter") : QStringLiteral("letters"),
                                   QDir::toNativeSeparators(outputFolder));
    if (report.skipped > 0)
        summary += QStringLiteral(", %1 %2 skipped").arg(report.skipped).arg(report.skipped == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
    if (report.stopped)
        summary += QStringLiteral("; stopped before the end of the list");
    else if (!report.listError.isEmpty())
        summary += QStringLiteral("; the rest of the list could not be read");
    return summary + QLatin1Char('.');
}

int mergeExitStatus(const MergeReport &report)
{
    if (report.stopped)
        return kStoppedStatus;
    return report.skipped > 0 || !report.listError.isEmpty() ? 1 : 0;
}

} // namespace quill
