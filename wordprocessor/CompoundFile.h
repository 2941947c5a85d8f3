#pragma once

#include <QString>

namespace quill {

// What an OLE compound file is, as far as opening a document needs to know. Office writes a password-protected
// document as a compound file holding an "EncryptedPackage" stream, and the older binary formats (.doc) are
// compound files too; neither is a package.
enum class CompoundFileKind {
    None,      // not a compound file (or unreadable)
    Encrypted, // a compound file holding an encrypted package
    Other,     // any other compound file: a Word 97-2003 document or another older Office file
};

// What the file at `path` is. Reads its directory entries by name; never decrypts or interprets a stream.
CompoundFileKind compoundFileKind(const QString &path);

} // namespace quill
