#include "Error.h"

namespace quill {

const char *statusName(Status status)
{
    switch (status) {
    case Status::MemberNotFound: return "MemberNotFound";
    case Status::WrongArguments: return "WrongArguments";
    case Status::NamedArgumentNotFound: return "NamedArgumentNotFound";
    case Status::ArgumentNotOptional: return "ArgumentNotOptional";
    case Status::TypeMismatch: return "TypeMismatch";
    case Status::ReadOnlyProperty: return "ReadOnlyProperty";
    case Status::ValueOutOfRange: return "ValueOutOfRange";
    case Status::ObjectNotSet: return "ObjectNotSet";
    case Status::ServerUnavailable: return "ServerUnavailable";
    case Status::ApplicationQuit: return "ApplicationQuit";
    case Status::DocumentClosed: return "DocumentClosed";
    case Status::NoSuchItem: return "NoSuchItem";
    case Status::NoDocumentOpen: return "NoDocumentOpen";
    case Status::NotSupported: return "NotSupported";
    case Status::DocumentUnreadable: return "DocumentUnreadable";
    case Status::DocumentDamaged: return "DocumentDamaged";
    case Status::DocumentRefused: return "DocumentRefused";
    case Status::DocumentEncrypted: return "DocumentEncrypted";
    case Status::DocumentReadOnly: return "DocumentReadOnly";
    case Status::SaveFailed: return "SaveFailed";
    case Status::NoTextFrame: return "NoTextFrame";
    case Status::PictureFailed: return "PictureFailed";
    case Status::PrintFailed: return "PrintFailed";
    case Status::FileNotFound: return "FileNotFound";
    case Status::FileUnreadable: return "FileUnreadable";
    case Status::FileUnwritable: return "FileUnwritable";
    case Status::InvalidPicture: return "InvalidPicture";
    case Status::NoTempFolder: return "NoTempFolder";
    case Status::WorkFilesBusy: return "WorkFilesBusy";
    case Status::WorkFileIsLink: return "WorkFileIsLink";
    case Status::SkinUnavailable: return "SkinUnavailable";
    case Status::OutOfMemory: return "OutOfMemory";
    case Status::ListUnusable: return "ListUnusable";
    case Status::RowRejected: return "RowRejected";
    case Status::NamePatternInvalid: return "NamePatternInvalid";
    case Status::OutputFolderUnusable: return "OutputFolderUnusable";
    case Status::TemplateWithoutTags: return "TemplateWithoutTags";
    }
    return "Unknown";
}

Error::Error(Status status, const QString &description)
    : std::runtime_error(description.toStdString())
    , m_status(status)
    , m_description(description)
{
}

} // namespace quill
