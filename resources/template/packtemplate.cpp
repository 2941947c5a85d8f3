// Build-time tool: packs the letter template's part folder into a WordprocessingML package.
//
//   packtemplate <parts folder> <output package>
//
// The output depends on the part files' bytes only: "[Content_Types].xml" comes first and the
// other parts follow sorted by their package name; every entry is deflated at the highest level
// and stamped with the same modification time and attributes, so two runs give identical bytes.

#include <zip.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The part that readers expect as the package's first entry.
constexpr char kContentTypesPart[] = "[Content_Types].xml";
// Modification time of every entry: 2024-03-04 09:00:00 UTC.
constexpr std::time_t kEntryTime = 1709542800;
// Deflate level of every entry.
constexpr zip_uint32_t kDeflateLevel = 9;
// Unix attributes of every entry: a regular file, readable by all, writable by its owner.
constexpr zip_uint32_t kEntryMode = 0100644;
// Unix attributes sit in the upper half of a zip entry's external attributes.
constexpr int kUnixModeShift = 16;

// One part: its name inside the package ("word/document.xml") and its file on disk.
struct Part
{
    std::string name;
    fs::path file;
};

// Every regular file below `folder`, named by its path relative to the folder with "/" separators,
// in package order.
std::vector<Part> collectParts(const fs::path &folder)
{
    if (!fs::is_directory(folder))
        throw std::runtime_error("the parts folder " + folder.string() + " does not exist");

    std::vector<Part> parts;
    for (const fs::directory_entry &entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            parts.push_back({fs::relative(entry.path(), folder).generic_string(), entry.path()});
    }

    std::sort(parts.begin(), parts.end(), [](const Part &a, const Part &b) {
        const bool aFirst = a.name == kContentTypesPart;
        const bool bFirst = b.name == kContentTypesPart;
        if (aFirst != bFirst)
            return aFirst;
        return a.name < b.name;
    });
    if (parts.empty() || parts.front().name != kContentTypesPart)
        throw std::runtime_error("the parts folder " + folder.string() + " has no " + kContentTypesPart);
    return parts;
}

// The whole content of `file`.
std::string readFile(const fs::path &file)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        throw std::runtime_error("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// libzip's description of the archive's last failure.
std::string archiveError(zip_t *archive)
{
    return zip_strerror(archive);
}

// Adds one part to `archive`; the archive keeps `bytes` until it is closed.
void addPart(zip_t *archive, const Part &part, const std::string &bytes)
{
    zip_source_t *source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    if (!source)
        throw std::runtime_error("cannot add " + part.name + ": " + archiveError(archive));

    const zip_int64_t index = zip_file_add(archive, part.name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        throw std::runtime_error("cannot add " + part.name + ": " + archiveError(archive));
    }

    const auto entry = static_cast<zip_uint64_t>(index);
    if (zip_set_file_compression(archive, entry, ZIP_CM_DEFLATE, kDeflateLevel) != 0
        || zip_file_set_mtime(archive, entry, kEntryTime, 0) != 0
        || zip_file_set_external_attributes(archive, entry, 0, ZIP_OPSYS_UNIX,
                                            kEntryMode << kUnixModeShift) != 0)
        throw std::runtime_error("cannot set up " + part.name + ": " + archiveError(archive));
}

// Writes the package of `parts` to `output`, replacing any earlier file.
void writePackage(const std::vector<Part> &parts, const fs::path &output)
{
    // The part bytes must outlive the archive: libzip reads its buffer sources at zip_close.
    std::vector<std::string> contents;
    contents.reserve(parts.size());
    for (const Part &part : parts)
        contents.push_back(readFile(part.file));

    int errorCode = 0;
    zip_t *archive = zip_open(output.string().c_str(), ZIP_CREATE | ZIP_TRUNCATE, &errorCode);
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, errorCode);
        const std::string description = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw std::runtime_error("cannot create " + output.string() + ": " + description);
    }

    try {
        for (std::size_t i = 0; i < parts.size(); ++i)
            addPart(archive, parts[i], contents[i]);
    } catch (...) {
        zip_discard(archive);
        throw;
    }

    if (zip_close(archive) != 0) {
        const std::string description = archiveError(archive);
        zip_discard(archive);
        throw std::runtime_error("cannot write " + output.string() + ": " + description);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <parts folder> <output package>\n", argv[0]);
        return EXIT_FAILURE;
    }

    // libzip stores entry times as local DOS times; fix the zone so the bytes do not depend on it.
    setenv("TZ", "UTC", 1);
    tzset();

    try {
        writePackage(collectParts(argv[1]), argv[2]);
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "packtemplate: %s\n", failure.what());
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
