#pragma once

#include <QString>

#include <stdexcept>

namespace quill {

// What went wrong, by name: every failure of the program carries one of these, so callers and
// tests tell failures apart by their status, never by the words of their description.
enum class Status {
    // Late-bound calls of the automation layer
    MemberNotFound,        // the object has no such property or method
    WrongArguments,        // wrong number of arguments or invalid property assignment
    NamedArgumentNotFound, // a named argument the member does not take
    ArgumentNotOptional,   // a required argument was omitted
    TypeMismatch,          // an argument of the wrong type
    ReadOnlyProperty,      // an assignment to a read-only property
    ValueOutOfRange,       // a value outside the member's range
    ObjectNotSet,          // a call through a handle that holds no object
    ServerUnavailable,     // no automation server could create the object
    ApplicationQuit,       // the word processor has quit
    DocumentClosed,        // the document has been closed
    NoSuchItem,            // a collection has no such member
    NoDocumentOpen,        // a command that needs an open document
    NotSupported,          // an option or range this engine does not support
    // Documents
    DocumentUnreadable,    // the file cannot be opened as a document (missing, not a package)
    DocumentDamaged,       // a part is missing or is not well-formed XML
    DocumentRefused,       // the document breaks a limit or carries what documents may not carry
    DocumentEncrypted,     // the document is protected with a password (an encrypted package)
    DocumentReadOnly,      // a read-only document saved over itself
    SaveFailed,            // the document could not be written
    NoTextFrame,           // a shape without a text frame
    PictureFailed,         // the document could not be copied or drawn as a picture
    PrintFailed,           // the printer refused the pages
    // Files, pictures and work files
    FileNotFound,          // no file at the path
    FileUnreadable,        // a file that cannot be read
    FileUnwritable,        // a file that cannot be created or written
    InvalidPicture,        // a file or clipboard content that is no picture
    NoTempFolder,          // no private folder for work files
    WorkFilesBusy,         // another instance holds the work files
    WorkFileIsLink,        // a work file is a link to another place
    SkinUnavailable,       // the skin cannot be loaded or none is loaded
    OutOfMemory,           // memory for a picture or surface could not be had
    // Letters made from a recipient list
    ListUnusable,          // the recipient list cannot be read, or its header names no usable columns
    RowRejected,           // one row of the recipient list cannot be made into a letter
    NamePatternInvalid,    // the file name pattern names a folder, an unknown tag or nothing at all
    OutputFolderUnusable,  // the output folder is missing, not a folder or not writable
    TemplateWithoutTags,   // a template that holds none of the letter's tags
};

// The status's name, as written in this enumeration ("DocumentDamaged").
const char *statusName(Status status);

// A failure of the program: its status and the description the user reads in the error box.
class Error : public std::runtime_error
{
public:
    Error(Status status, const QString &description);

    // What went wrong, by name.
    Status status() const { return m_status; }
    // The human-readable description.
    const QString &description() const { return m_description; }

private:
    Status m_status;
    QString m_description;
};

} // namespace quill
