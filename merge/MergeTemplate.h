#pragma once

#include <QString>
#include <QTemporaryDir>

namespace quill {

// The template of one run, as a private copy that the run's workers open read-only: the built-in
// letter, or a user's own Word document or template. The copy goes with the object.
class MergeTemplate
{
public:
    // Copies the built-in letter (when `userPath` is empty) or the document at `userPath`, and checks
    // that it opens as a document holding at least one of the letter's tags. Throws Error otherwise.
    explicit MergeTemplate(const QString &userPath);

    // The private copy's path.
    const QString &path() const { return m_path; }

private:
    QTemporaryDir m_folder;
    QString m_path;
};

} // namespace quill
