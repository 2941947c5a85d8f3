#pragma once

#include "FileNames.h"
#include "LetterOutput.h"
#include "LetterWriter.h"
#include "MergeTemplate.h"
#include "RecipientFields.h"
#include "RecipientList.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace quill {

// What a merge is asked to do.
struct MergeOptions
{
    QString listPath;                                 // the recipient list (CSV)
    QString outputFolder;                             // where the letters go, and nowhere else
    QString templatePath;                             // a user's template; empty for the built-in letter
    QString namePattern = kDefaultNamePattern;        // file names from tags
    std::vector<LetterFormat> formats{LetterFormat::Doc};
    int jobs = 1;                                     // workers, each with its own word-processor instance
    bool replace = false;                             // replace existing files instead of keeping them
};

// One row that gave no letter: its line in the list and what went wrong ("LIST:12: ...").
struct MergeProblem
{
    qint64 line;
    QString message;
};

// The outcome of a merge.
struct MergeReport
{
    qint64 written = 0;                 // rows whose letters were written
    qint64 skipped = 0;                 // rows that gave no letter
    bool stopped = false;               // asked to stop before the list's end
    QString listError;                  // why the list could not be read to its end; empty when it was
    std::vector<MergeProblem> problems; // the skipped rows, by line
};

// A merge: one letter per data row of a recipient list, filled as "Start Creating Template" fills
// the letter, written into one folder by several workers. Everything that can be checked before the
// first letter is checked when the run is made.
class MergeRun
{
public:
    // Opens the list, matches its columns, parses the name pattern, checks the folder and the
    // template, and reads the window's stored values. Throws Error when the run cannot start.
    explicit MergeRun(MergeOptions options);
    ~MergeRun();

    // One message for each column of the list that names no tag (ignored).
    const QStringList &notes() const;
    // Makes the letters. `stop` is watched between letters: when it turns true, the letters being
    // written are finished and no more are begun. `progress` is called after each row with the
    // count of rows handled so far (from the workers' threads, one call at a time).
    MergeReport run(const std::atomic<bool> &stop, const std::function<void(qint64 handled)> &progress = {});

private:
    struct Queue;
    void work(Queue &queue, const std::atomic<bool> &stop, const std::function<void(qint64)> &progress);
    std::vector<LetterTarget> targetsFor(const QString &name) const;

    MergeOptions m_options;
    RecipientList m_list;
    ColumnMap m_columns;
    NamePattern m_pattern;
    MergeTemplate m_template;
    std::vector<FieldReplacement> m_stored;
};

// The summary a merge ends with: "312 letters written to FOLDER, 2 rows skipped".
QString mergeSummary(const MergeReport &report, const QString &outputFolder);

// The exit status of a merge that started: 0 when every row gave its letter, 1 when some did not,
// 130 when it was stopped.
int mergeExitStatus(const MergeReport &report);

} // namespace quill
