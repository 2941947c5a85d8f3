#pragma once

#include "Automation.h"
#include "Form1.h"
#include "Form2.h"
#include "LetterFields.h"
#include "MessageBoxes.h"
#include "Product.h"
#include "ProgramEnd.h"
#include "SaveDialog.h"
#include "SettingsStore.h"

#include <QtTest>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace quill::test {

// Ways a test takes a folder or a file out of reach. Tests run as root in CI, where permission bits
// stop nothing: there the immutable attribute does it (and a mount needs the same privilege).
namespace faults {

// Sets or clears the immutable attribute of `path` (a file or a folder); false when that cannot be done.
bool setImmutable(const QString &path, bool immutable);
// Makes `path` refuse every change: permissions for an ordinary user, the immutable attribute for root.
// False when neither holds (checked by trying to create a file in a folder, or to open a file for writing).
bool makeReadOnly(const QString &path);
// Undoes makeReadOnly.
void makeWritable(const QString &path);
// Mounts a tmpfs of `bytes` at the existing folder `path`; false when this process may not mount.
bool mountSmallTmpfs(const QString &path, qint64 bytes);
// Unmounts what mountSmallTmpfs mounted.
void unmount(const QString &path);
// Fills the file system of `folder` with a file named `name` until it refuses more; returns the bytes written.
qint64 fillUp(const QString &folder, const QString &name);
// Limits the size of any file this process writes to `bytes` (RLIMIT_FSIZE); a write past it fails with EFBIG.
class FileSizeLimit
{
public:
    // Sets the limit until the object goes.
    explicit FileSizeLimit(qint64 bytes);
    // Puts the earlier limit back.
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 m_previous = -1;
};

} // namespace faults

// The bytes of the file at `path` (empty when it cannot be read).
QByteArray readAll(const QString &path);
// Creates or truncates the file at `path` with `bytes`; false on failure.
bool writeFile(const QString &path, const QByteArray &bytes);

// The program's windows on a private temporary folder and a private settings location, with the
// message boxes recorded and the save dialog answered. The main window is loaded and shown.
class FaultFixture
{
public:
    // Private folders, TEMP and the settings path, the handlers; no window yet.
    FaultFixture();
    // Closes the windows and restores the handlers, the servers and TEMP.
    ~FaultFixture();

    // The temporary folder T (TEMP) and the folder that holds the settings file.
    QString tempPath() const { return m_temp->path(); }
    // The folder of the settings file.
    QString settingsFolder() const { return m_settings->path(); }
    // The settings file the program writes.
    QString settingsFile() const { return m_settings->filePath(QStringLiteral("Kestrelon.ini")); }
    // A private scratch folder for the test's own files (outside T).
    QString scratchPath() const { return m_scratch->path(); }
    // Points TEMP at `path`.
    static void setTemp(const QString &path);

    // Builds, loads and shows the main window (as the program starts).
    void start();
    // The main window (after start()).
    Form1 &form() { return *m_form; }
    // Presses "Start Creating Template" with a real click.
    void clickGenerate();
    // Presses "Save Results To Word File" in the preview, answering the dialog with `path`.
    void clickSave(const QString &path);
    // True when the preview is up and the main window hidden, as after a generation that worked.
    bool previewShown() const;

    // The boxes shown since the last clearBoxes().
    const QList<MessageBoxes::Request> &boxes() const { return m_boxes; }
    // Forgets the boxes recorded so far.
    void clearBoxes() { m_boxes.clear(); }
    // The answer every later box gets.
    void setAnswer(int answer) { m_answer = answer; }
    // The texts of the boxes, one per line, for failure messages.
    QString boxTexts() const;

    // The value the settings store holds for typed field `index`.
    static QString storedField(int index);
    // Entries of T (files, links, folders), hidden ones included.
    QStringList tempEntries() const;
    // Types `text` into field `index` with real key presses (the field is emptied first).
    void typeInto(int index, const QString &text);

private:
    std::unique_ptr<QTemporaryDir> m_temp;
    std::unique_ptr<QTemporaryDir> m_settings;
    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<Form1> m_form;
    QList<MessageBoxes::Request> m_boxes;
    int m_answer = MessageBoxes::Ok;
    QString m_savePath;
    QByteArray m_previousTemp;
};

} // namespace quill::test
