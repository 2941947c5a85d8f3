#pragma once

#include "Automation.h"
#include "LetterGeneration.h"
#include "Picture.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace quill {

class Form1;
class Form2;

namespace bench {

// A private place for one benchmark process: TEMP and the settings in fresh temporary folders,
// message boxes and save dialogs answered by code instead of shown.
class WorkPlace
{
public:
    // Points TEMP and the settings store at new temporary folders and installs the answering handlers.
    WorkPlace();
    // Removes the handlers; the folders go with the object.
    ~WorkPlace();

    // The folder T that holds the work files.
    QString tempFolder() const { return m_temp.path(); }
    // The texts of the message boxes shown since the last call; the list is emptied.
    QStringList takeMessages();

private:
    QTemporaryDir m_temp;
    QTemporaryDir m_settings;
};

// The example sender and recipient and today's date, as the letter's fourteen fields, in field order.
std::vector<FieldReplacement> sampleFields();

// A recipient list of `rows` data rows as CSV, every cell quoted: the header names the letter's
// fourteen tags, and each row holds the example data with the recipient's name, company and street
// numbered by the row, so that every letter and its file name are the row's own.
QByteArray recipientList(int rows);

// Fills the template package `templateBytes` the way "Start Creating Template" does: writes the
// template work file into `folder`, opens it read-only through the automation layer, replaces the
// fields in every story and every shape, saves the letter as `resultPath`, closes the document,
// quits the instance and deletes the work file. Failures surface as message boxes of the WorkPlace.
void fillLetter(const QByteArray &templateBytes, const std::vector<FieldReplacement> &fields, const QString &folder,
                const QString &resultPath);

// A document opened through the automation layer in an instance of its own, closed and quit on destruction.
class OpenedDocument
{
public:
    // Opens the document at `path`; throws Error when it cannot.
    explicit OpenedDocument(const QString &path);
    // Closes the document without saving and quits the instance.
    ~OpenedDocument();

    // The document object.
    const AutoObject &document() const { return m_document; }

private:
    AutoObject m_word;
    AutoObject m_document;
};

// Copies the body of `document` to the clipboard as a picture (Range.CopyAsPicture) and fetches it back;
// throws std::runtime_error when the clipboard holds no picture afterwards.
Picture copyBodyPicture(const AutoObject &document);

// The main window and its preview driven in process, as a user would with the mouse: every action
// is a click on the real button, and it is over when the preview's canvas has been painted.
class WindowSession
{
public:
    // Shows the main window with the example data; creates the preview window so it can be watched.
    WindowSession();
    // Closes both windows without ending the process.
    ~WindowSession();

    // Clicks "Start Creating Template" and waits until the preview's canvas is painted.
    void generate();
    // Clicks "Zoom In" and waits until the canvas is painted again (at once when nothing changed).
    void zoomIn();
    // Clicks "Zoom Out" in the same way.
    void zoomOut();
    // Clicks "< Back" and lets the windows settle.
    void back();

    // The main window.
    Form1 &mainWindow() { return *m_form; }
    // The preview window.
    Form2 &preview();

private:
    class PaintCounter;
    template <typename Action>
    void clickAndWaitForPaint(Action &&action);

    std::unique_ptr<Form1> m_form;
    std::unique_ptr<PaintCounter> m_paints;
};

// This process's resident set now, in bytes (from /proc/self/status).
qint64 residentBytes();
// The peak of this process's resident set so far, in bytes.
qint64 residentPeakBytes();

} // namespace bench
} // namespace quill
