#include "CompoundFile.h"

#include <QFile>
#include <QStringEncoder>

#include <cstring>

namespace quill {

namespace {

// Every compound file begins with these eight bytes.
constexpr char kSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr qsizetype kSignatureLength = sizeof(kSignature) - 1;

// The directory is a run of 128-byte entries in sectors of 512 or 4096 bytes, so every entry starts at a
// multiple of 128 bytes in the file. An entry starts with its name (UTF-16LE, zero-terminated, in a field of
// 64 bytes), then the name's length in bytes with the terminator (2 bytes), then its object type.
constexpr qsizetype kEntrySize = 128;
constexpr qsizetype kNameLengthOffset = 64;
constexpr qsizetype kTypeOffset = 66;
constexpr char kStreamType = 2;
// Reads this many entries at a time.
constexpr qsizetype kEntriesPerRead = 512;

// The name of the stream that holds an encrypted package, as the directory stores it.
QByteArray encryptedPackageName()
{
    QStringEncoder toUtf16(QStringEncoder::Utf16LE);
    const QByteArray name = toUtf16(QStringLiteral("EncryptedPackage"));
    return name + QByteArray(2, '\0');
}

bool isEncryptedPackageEntry(const char *entry, const QByteArray &name)
{
    const auto nameLength = quint16(quint8(entry[kNameLengthOffset]) | quint8(entry[kNameLengthOffset + 1]) << 8);
    return nameLength == name.size() && entry[kTypeOffset] == kStreamType
           && std::memcmp(entry, name.constData(), size_t(name.size())) == 0;
}

} // namespace

CompoundFileKind compoundFileKind(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.read(kSignatureLength) != QByteArray(kSignature, kSignatureLength))
        return CompoundFileKind::None;
    // The header fills the first sector; a whole-file walk of 128-byte records meets every directory entry
    // without following the sector chains.
    file.seek(0);
    const QByteArray name = encryptedPackageName();
    for (;;) {
        const QByteArray block = file.read(kEntrySize * kEntriesPerRead);
        for (qsizetype at = 0; at + kEntrySize <= block.size(); at += kEntrySize) {
            if (isEncryptedPackageEntry(block.constData() + at, name))
                return CompoundFileKind::Encrypted;
        }
        if (block.size() < kEntrySize * kEntriesPerRead)
            return CompoundFileKind::Other;
    }
}

} // namespace quill
