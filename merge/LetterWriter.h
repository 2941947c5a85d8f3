#pragma once

#include "Automation.h"
#include "LetterGeneration.h"
#include "LetterOutput.h"

#include <QFile>
#include <QString>

#include <vector>

namespace quill {

// One file a letter is written to.
struct LetterTarget
{
    QString path; // in the output folder
    LetterFormat format;
};

// A word-processor instance of one worker, making letters from one template one after another,
// with the same fill as "Start Creating Template": the template opened read-only, the tags replaced
// field by field in every story and then in every shape, the result saved.
class LetterWriter
{
public:
    // Starts an instance for the template document at `templatePath`. Throws Error when it cannot start.
    explicit LetterWriter(QString templatePath);
    // Quits the instance.
    ~LetterWriter();
    LetterWriter(const LetterWriter &) = delete;
    LetterWriter &operator=(const LetterWriter &) = delete;

    // Fills the template with `fields` (in field order) and writes it to every target. Each file is
    // written under a temporary name in its folder and renamed when complete, so no half-written
    // letter ever carries a target's name. An existing file (or link) at a target is replaced only
    // when `replace` is set; a link is replaced itself, never followed. Throws Error (RowRejected
    // and others) when the letter cannot be made; then no target is written and no temporary file is left.
    void write(const std::vector<FieldReplacement> &fields, const std::vector<LetterTarget> &targets, bool replace);

private:
    AutoObject fill(const std::vector<FieldReplacement> &fields);

    QString m_templatePath;
    AutoObject m_word;
};

// The permissions a new file gets under the process's file mode mask. Call it once before workers
// start: reading the mask briefly changes it.
QFile::Permissions newFilePermissions();

// True when something is at `path`, a link included, even one that leads nowhere.
bool somethingAt(const QString &path);

} // namespace quill
