#include "Package.h"

#include "AutomationObject.h"
#include "CompoundFile.h"
#include "PackageLimits.h"
#include "WordXml.h"
#include "XmlTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <zip.h>

#include <algorithm>

namespace quill {

namespace {

// Options for every XML part: keep whitespace-only text (a blank inside w:t is content), the XML
// declaration, comments and processing instructions. pugixml never expands entities declared in a
// DOCTYPE nor loads external ones; parse_doctype only keeps the declaration as a node, so that a part
// carrying one (which package parts may not) is refused instead of being read with literal "&name;" text.
constexpr unsigned int kXmlParseOptions = pugi::parse_default | pugi::parse_ws_pcdata
        | pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi | pugi::parse_doctype;

bool hasDoctype(const pugi::xml_document &document)
{
    for (const pugi::xml_node child : document.children()) {
        if (child.type() == pugi::node_doctype)
            return true;
    }
    return false;
}

// Fixed modification stamp of every written entry (1980-01-01 00:00, the DOS epoch), so that the
// same document always gives the same bytes.
constexpr zip_uint16_t kFixedDosTime = 0;
// Deflate's fastest level: a letter's parts are small and text-like, so the files are hardly
// larger, and saving stays a small part of making a letter.
constexpr zip_uint32_t kSaveCompressionLevel = 1;
constexpr zip_uint16_t kFixedDosDate = (1 << 5) | 1;

constexpr char kPackageRelationships[] = "_rels/.rels";

// A package file up to this size is read whole and kept, so that saving copies the parts nobody changed as
// they were compressed instead of compressing them again (most of the time a letter's save takes).
constexpr qint64 kMaxKeptArchiveSize = qint64(32) * 1024 * 1024;

QString displayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}


QString notAPackage()
{
    return QStringLiteral("it is not a Word document (not a valid package).");
}

QString damaged()
{
    return QStringLiteral("the file is damaged or incomplete.");
}

// True when the file begins with a zip entry header: a zip whose directory at the end is missing
// (a truncated download or copy) rather than some other kind of file.
bool startsLikeZip(const QString &path)
{
    static const char kLocalHeaderSignature[] = "PK\x03\x04";
    constexpr qsizetype kSignatureLength = sizeof(kLocalHeaderSignature) - 1;
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(kSignatureLength) == QByteArray(kLocalHeaderSignature, kSignatureLength);
}

QString megabytes(std::int64_t bytes)
{
    constexpr std::int64_t kBytesPerMebibyte = 1024 * 1024;
    return QString::number(bytes / kBytesPerMebibyte);
}

// Fails the open of a file that is no zip, saying what it is when it is a kind users meet.
[[noreturn]] void failNotAPackage(const QString &path)
{
    if (startsLikeZip(path))
        failOpen(path, Status::DocumentDamaged, damaged());
    switch (compoundFileKind(path)) {
    case CompoundFileKind::Encrypted:
        failOpen(path, Status::DocumentEncrypted, QStringLiteral("it is protected with a password (encrypted). Open it in Word or LibreOffice, save it without a password, and try again."));
    case CompoundFileKind::Other:
        failOpen(path, Status::DocumentUnreadable, QStringLiteral("it is a Word 97-2003 document (.doc) or another older Office file. Save it as a Word document (.docx) first."));
    case CompoundFileKind::None:
        break;
    }
    failOpen(path, Status::DocumentUnreadable, notAPackage());
}

// Closes a libzip archive opened for reading when it goes out of scope.
struct ArchiveCloser
{
    void operator()(zip_t *archive) const { zip_discard(archive); }
};
using ArchiveHandle = std::unique_ptr<zip_t, ArchiveCloser>;

// Opens the zip archive held in `bytes` (which must outlive it) for reading; null with `errorCode` set when it cannot.
ArchiveHandle openArchiveInMemory(const QByteArray &bytes, int &errorCode)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t *source = zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    zip_t *archive = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        errorCode = zip_error_code_zip(&error);
    }
    zip_error_fini(&error);
    return ArchiveHandle(archive);
}

// The whole file at `path` when it is small enough to keep and can be read; empty otherwise.
QByteArray keptArchiveBytes(const QString &path, qint64 size)
{
    if (size <= 0 || size > kMaxKeptArchiveSize)
        return {};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    return bytes.size() == size ? bytes : QByteArray();
}

// True when entry `index` is stored with deflate and without encryption: its compressed bytes can be copied as they are.
bool isPlainlyDeflated(zip_t *archive, zip_uint64_t index)
{
    zip_stat_t stat;
    return zip_stat_index(archive, index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_COMP_METHOD)
           && (stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.comp_method == ZIP_CM_DEFLATE
           && stat.encryption_method == ZIP_EM_NONE;
}

struct FileCloser
{
    void operator()(zip_file_t *file) const { zip_fclose(file); }
};
using FileHandle = std::unique_ptr<zip_file_t, FileCloser>;

// Unpacks one entry through `chunk`, a bounded buffer, stopping as soon as the limits are passed,
// whatever size the entry's header claims.
QByteArray readEntry(const QString &path, zip_t *archive, zip_uint64_t index, const QString &name,
                     std::int64_t &totalSize, std::vector<char> &chunk)
{
    FileHandle file(zip_fopen_index(archive, index, 0));
    if (!file) {
        const int code = zip_error_code_zip(zip_get_error(archive));
        if (code == ZIP_ER_COMPNOTSUPP || code == ZIP_ER_ENCRNOTSUPP)
            failOpen(path, Status::DocumentUnreadable, QStringLiteral("the part %1 is stored in a way this program cannot read (compressed or encrypted with an unsupported method).").arg(name));
        failOpen(path, Status::DocumentDamaged, damaged());
    }
    // Reserve once from the size the entry claims (never more than the limits allow) instead of growing
    // step by step; a false claim costs one bounded allocation and is trimmed after reading.
    QByteArray data;
    zip_stat_t stat;
    if (zip_stat_index(archive, index, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE)) {
        if (stat.size > zip_uint64_t(kMaxPartSize))
            failOpen(path, Status::DocumentRefused, QStringLiteral("it is too large (the part %1 unpacks to more than %2 MiB).")
                               .arg(name, megabytes(kMaxPartSize)));
        data.reserve(qsizetype(std::min<std::int64_t>({std::int64_t(stat.size), kMaxPartSize, kMaxPackageSize - totalSize})));
    }
    for (;;) {
        const zip_int64_t count = zip_fread(file.get(), chunk.data(), chunk.size());
        if (count < 0)
            failOpen(path, Status::DocumentDamaged, damaged());
        if (count == 0)
            break;
        if (data.size() + count > kMaxPartSize)
            failOpen(path, Status::DocumentRefused, QStringLiteral("it is too large (the part %1 unpacks to more than %2 MiB).")
                               .arg(name, megabytes(kMaxPartSize)));
        totalSize += count;
        if (totalSize > kMaxPackageSize)
            failOpen(path, Status::DocumentRefused, QStringLiteral("it is too large (it unpacks to more than %1 MiB).")
                               .arg(megabytes(kMaxPackageSize)));
        data.append(chunk.data(), qsizetype(count));
    }
    data.squeeze();
    return data;
}

// Collects what pugixml writes into a byte array.
class ByteArrayWriter : public pugi::xml_writer
{
public:
    explicit ByteArrayWriter(QByteArray &out) : m_out(out) {}
    void write(const void *data, size_t size) override
    {
        m_out.append(static_cast<const char *>(data), qsizetype(size));
    }

private:
    QByteArray &m_out;
};

bool typeHasSuffix(const QString &type, const QString &suffix)
{
    return type.endsWith(QLatin1Char('/') + suffix, Qt::CaseInsensitive);
}

} // namespace

void failOpen(const QString &path, Status status, const QString &reason)
{
    throw Error(status, QStringLiteral("The document \"%1\" could not be opened: %2").arg(displayPath(path), reason));
}

Package::~Package() = default;

std::unique_ptr<Package> Package::open(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        failOpen(path, Status::FileNotFound, QStringLiteral("the file does not exist."));
    if (!info.isFile())
        failOpen(path, Status::FileUnreadable, QStringLiteral("it is not a file."));
    if (!info.isReadable())
        failOpen(path, Status::FileUnreadable, QStringLiteral("the file cannot be read (permission denied)."));

    int errorCode = 0;
    QByteArray bytes = keptArchiveBytes(path, info.size());
    ArchiveHandle archive = bytes.isEmpty() ? ArchiveHandle(zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &errorCode))
                                            : openArchiveInMemory(bytes, errorCode);
    if (!archive) {
        if (errorCode == ZIP_ER_NOZIP)
            failNotAPackage(path);
        if (errorCode == ZIP_ER_OPEN || errorCode == ZIP_ER_READ)
            failOpen(path, Status::FileUnreadable, QStringLiteral("the file cannot be read."));
        failOpen(path, Status::DocumentUnreadable, QStringLiteral("it is not a Word document, or the file is damaged or incomplete."));
    }

    const zip_int64_t entryCount = zip_get_num_entries(archive.get(), 0);
    if (entryCount < 0)
        failOpen(path, Status::DocumentDamaged, damaged());
    if (entryCount > kMaxPackageEntries)
        failOpen(path, Status::DocumentRefused, QStringLiteral("it holds too many parts (more than %1).").arg(kMaxPackageEntries));

    std::unique_ptr<Package> package(new Package);
    package->m_path = path;
    std::int64_t totalSize = 0;
    // One read buffer for every entry: a package has dozens of small parts.
    std::vector<char> chunk(kReadChunkSize);
    for (zip_int64_t index = 0; index < entryCount; ++index) {
        const char *rawName = zip_get_name(archive.get(), zip_uint64_t(index), ZIP_FL_ENC_GUESS);
        if (!rawName)
            failOpen(path, Status::DocumentDamaged, damaged());
        auto entry = std::make_unique<Part>();
        entry->name = QString::fromUtf8(rawName);
        entry->isDirectory = entry->name.endsWith(QLatin1Char('/'));
        if (!entry->isDirectory) {
            entry->data = readEntry(path, archive.get(), zip_uint64_t(index), entry->name, totalSize, chunk);
            if (!bytes.isEmpty() && isPlainlyDeflated(archive.get(), zip_uint64_t(index)))
                entry->archiveIndex = index;
        }
        const QString key = entry->name.toLower();
        if (!package->m_index.contains(key))
            package->m_index.insert(key, entry.get());
        package->m_parts.push_back(std::move(entry));
    }
    package->m_archiveBytes = std::move(bytes);
    return package;
}

std::unique_ptr<Package> Package::create()
{
    return std::unique_ptr<Package>(new Package);
}

void Package::setData(const QString &name, const QByteArray &data)
{
    Part *found = part(name);
    if (!found) {
        auto entry = std::make_unique<Part>();
        entry->name = name.startsWith(QLatin1Char('/')) ? name.mid(1) : name;
        entry->isDirectory = entry->name.endsWith(QLatin1Char('/'));
        found = entry.get();
        m_index.insert(entry->name.toLower(), found);
        m_parts.push_back(std::move(entry));
    }
    found->data = data;
    found->xml.reset();
    found->modified = false;
    found->archiveIndex = -1;
}

std::vector<QString> Package::partNames() const
{
    std::vector<QString> names;
    names.reserve(m_parts.size());
    for (const auto &entry : m_parts)
        names.push_back(entry->name);
    return names;
}

const Package::Part *Package::part(const QString &name) const
{
    QString key = name.toLower();
    if (key.startsWith(QLatin1Char('/')))
        key.remove(0, 1);
    return m_index.value(key, nullptr);
}

Package::Part *Package::part(const QString &name)
{
    return const_cast<Part *>(static_cast<const Package *>(this)->part(name));
}

QString Package::findPart(const QString &name) const
{
    const Part *found = part(name);
    return found ? found->name : QString();
}

QByteArray Package::data(const QString &name) const
{
    const Part *found = part(name);
    return found ? serialise(*found) : QByteArray();
}

QByteArray Package::serialise(const Part &entry) const
{
    if (!entry.modified || !entry.xml)
        return entry.data;
    // A part read as UTF-16 is written as UTF-8; its declaration must say so.
    pugi::xml_node declaration = entry.xml->first_child();
    if (declaration.type() == pugi::node_declaration && declaration.attribute("encoding"))
        declaration.attribute("encoding").set_value("UTF-8");
    QByteArray out;
    ByteArrayWriter writer(out);
    entry.xml->save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return out;
}

pugi::xml_document &Package::xml(const QString &name)
{
    Part *found = part(name);
    if (!found || found->isDirectory)
        throw Error(Status::DocumentDamaged, QStringLiteral("The document \"%1\" is damaged: the part %2 is missing.")
                                  .arg(displayPath(m_path), name));
    if (found->xml)
        return *found->xml;

    auto document = std::make_unique<pugi::xml_document>();
    const pugi::xml_parse_result result = document->load_buffer(
        found->data.constData(), size_t(found->data.size()), kXmlParseOptions);
    if (!result)
        throw Error(Status::DocumentDamaged, QStringLiteral("The document \"%1\" is damaged: the part %2 is not well-formed XML (%3 at byte %4).")
                                  .arg(displayPath(m_path), found->name, QString::fromUtf8(result.description()))
                                  .arg(result.offset));
    if (hasDoctype(*document))
        throw Error(Status::DocumentRefused, QStringLiteral("The document \"%1\" cannot be read: the part %2 contains a document type declaration (DOCTYPE), which Word documents may not contain.")
                                  .arg(displayPath(m_path), found->name));
    // Content controls nested too deep break the element limit as well; counted first, the user learns it is them.
    const auto isContentControl = [](pugi::xml_node node) { return isElement(node, "sdt"); };
    if (nestingDepth(*document, isContentControl) > kMaxContentControlDepth)
        throw Error(Status::DocumentRefused, QStringLiteral("The document \"%1\" cannot be read: the part %2 nests content controls more than %3 levels deep.")
                                  .arg(displayPath(m_path), found->name)
                                  .arg(kMaxContentControlDepth));
    if (xmlDepth(*document) > kMaxXmlDepth)
        throw Error(Status::DocumentRefused, QStringLiteral("The document \"%1\" cannot be read: the part %2 nests its elements more than %3 levels deep.")
                                  .arg(displayPath(m_path), found->name)
                                  .arg(kMaxXmlDepth));
    found->xml = std::move(document);
    return *found->xml;
}

void Package::markModified(const QString &name)
{
    Part *found = part(name);
    if (found && found->xml)
        found->modified = true;
}

bool Package::isModified(const QString &name) const
{
    const Part *found = part(name);
    return found && found->modified;
}

QString Package::relationshipsPartName(const QString &sourcePart)
{
    QString source = sourcePart;
    if (source.startsWith(QLatin1Char('/')))
        source.remove(0, 1);
    if (source.isEmpty())
        return QString::fromLatin1(kPackageRelationships);
    const int slash = source.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QString() : source.left(slash + 1);
    return folder + QStringLiteral("_rels/") + source.mid(slash + 1) + QStringLiteral(".rels");
}

QString Package::resolveTarget(const QString &sourcePart, const QString &target)
{
    // A part name is the path of a URL whose root is the package; the target is a relative (or
    // package-absolute) reference to another part, percent-encoded.
    const QUrl base(QStringLiteral("/") + sourcePart);
    QUrl reference;
    reference.setPath(QUrl::fromPercentEncoding(target.toUtf8()), QUrl::DecodedMode);
    const QString path = base.resolved(reference).path(QUrl::FullyDecoded);
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

std::vector<Relationship> Package::relationships(const QString &sourcePart)
{
    std::vector<Relationship> list;
    const QString relsName = relationshipsPartName(sourcePart);
    if (!contains(relsName))
        return list;
    const pugi::xml_node root = childElement(xml(relsName), "Relationships", XmlNamespace::PackageRelationships);
    for (const pugi::xml_node node : root.children()) {
        if (!isElement(node, "Relationship", XmlNamespace::PackageRelationships))
            continue;
        Relationship relationship;
        relationship.id = QString::fromUtf8(node.attribute("Id").value());
        relationship.type = QString::fromUtf8(node.attribute("Type").value());
        const QString target = QString::fromUtf8(node.attribute("Target").value());
        relationship.external = QString::fromUtf8(node.attribute("TargetMode").value())
                                    .compare(QLatin1String("External"), Qt::CaseInsensitive) == 0;
        relationship.target = relationship.external ? target : resolveTarget(sourcePart, target);
        list.push_back(relationship);
    }
    return list;
}

QString Package::relatedPart(const QString &sourcePart, const QString &typeSuffix)
{
    const Relationship related = relationship(sourcePart, typeSuffix);
    return related.target.isEmpty() ? QString() : findPart(related.target);
}

Relationship Package::relationship(const QString &sourcePart, const QString &typeSuffix)
{
    for (const Relationship &candidate : relationships(sourcePart)) {
        if (!candidate.external && typeHasSuffix(candidate.type, typeSuffix))
            return candidate;
    }
    return {};
}

void Package::save(const QString &path) const
{
    const auto failSave = [&path](const QString &reason) {
        throw Error(Status::SaveFailed, QStringLiteral("The document could not be saved as \"%1\": %2")
                                  .arg(displayPath(path), reason));
    };
    const QFileInfo info(path);
    if (info.isDir())
        failSave(QStringLiteral("a folder of that name exists."));
    if (!info.absoluteDir().exists())
        failSave(QStringLiteral("the folder does not exist."));

    // libzip writes to a temporary file beside `path` and renames it over `path` in zip_close;
    // until then (and on any failure) an existing file stays as it was.
    int errorCode = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &errorCode);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, errorCode);
        const QString reason = QString::fromLocal8Bit(zip_error_strerror(&error));
        zip_error_fini(&error);
        failSave(reason + QLatin1Char('.'));
    }
    const auto discardAndFail = [&](const QString &reason) {
        zip_discard(archive);
        failSave(reason);
    };

    // The buffers and the original archive must stay alive until zip_close has written them.
    std::vector<QByteArray> buffers;
    buffers.reserve(m_parts.size());
    int originalError = 0;
    const ArchiveHandle original = m_archiveBytes.isEmpty() ? nullptr : openArchiveInMemory(m_archiveBytes, originalError);
    for (const auto &entry : m_parts) {
        const QByteArray name = entry->name.toUtf8();
        zip_int64_t index = -1;
        const bool copied = original && entry->archiveIndex >= 0 && !entry->modified;
        if (entry->isDirectory) {
            index = zip_dir_add(archive, name.constData(), ZIP_FL_ENC_UTF_8);
        } else if (copied) {
            // The whole entry from its start: libzip copies the compressed bytes without unpacking them.
            zip_source_t *source = zip_source_zip(archive, original.get(), zip_uint64_t(entry->archiveIndex), 0, 0, -1);
            if (!source)
                discardAndFail(QString::fromLocal8Bit(zip_strerror(archive)) + QLatin1Char('.'));
            index = zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8);
            if (index < 0)
                zip_source_free(source);
        } else {
            buffers.push_back(serialise(*entry));
            const QByteArray &bytes = buffers.back();
            zip_source_t *source = zip_source_buffer(archive, bytes.constData(), zip_uint64_t(bytes.size()), 0);
            if (!source)
                discardAndFail(QStringLiteral("out of memory."));
            index = zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8);
            if (index < 0)
                zip_source_free(source);
        }
        if (index < 0
            || zip_file_set_dostime(archive, zip_uint64_t(index), kFixedDosTime, kFixedDosDate, 0) < 0
            || (!entry->isDirectory && !copied
                && zip_set_file_compression(archive, zip_uint64_t(index), ZIP_CM_DEFLATE, kSaveCompressionLevel) < 0))
            discardAndFail(QString::fromLocal8Bit(zip_strerror(archive)) + QLatin1Char('.'));
    }
    if (zip_close(archive) < 0) {
        const QString reason = QString::fromLocal8Bit(zip_strerror(archive));
        zip_discard(archive);
        failSave(reason + QLatin1Char('.'));
    }
}

} // namespace quill
