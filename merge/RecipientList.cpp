#include "RecipientList.h"

#include "Error.h"

#include <QDir>
#include <QStringDecoder>

#include <csv.h>

#include <cstdlib>
#include <cstring>

namespace quill {

namespace {

// How much of the file is read and parsed at a time, in bytes.
constexpr qint64 kPieceBytes = 64 * 1024;
// How much the parser's cell buffer grows at a time, in bytes.
constexpr size_t kCellBufferStep = 4096;
// The most the parser may hold for one cell before the list is given up, in bytes.
constexpr size_t kCellBufferLimit = size_t(64) << 20;
constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
constexpr int kUtf8BomSize = 3;

// The parser's buffer grows only up to the limit; past it libcsv reports that memory ran out.
void *cappedRealloc(void *buffer, size_t size)
{
    return size > kCellBufferLimit ? nullptr : std::realloc(buffer, size);
}

// Blanks around cells are part of them: nothing is trimmed.
int noSpace(unsigned char)
{
    return 0;
}

bool isBlankLine(const char *bytes, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            return false;
    }
    return true;
}

// Where the line of `bytes` that starts at `start` ends: after its line end (LF, CRLF or a lone CR,
// as libcsv ends rows), or at `size` when it has none; `hasEnd` tells which.
qsizetype lineEndAt(const char *bytes, qsizetype start, qsizetype size, bool &hasEnd)
{
    for (qsizetype i = start; i < size; ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            hasEnd = true;
            return bytes[i] == '\r' && i + 1 < size && bytes[i + 1] == '\n' ? i + 2 : i + 1;
        }
    }
    hasEnd = false;
    return size;
}

// The separator of the first line that is not blank: ';' when it has semicolons and no commas.
char detectSeparator(const QByteArray &start)
{
    bool hasEnd = false;
    for (qsizetype begin = 0, end = 0; begin < start.size(); begin = end) {
        end = lineEndAt(start.constData(), begin, start.size(), hasEnd);
        const QByteArrayView line(start.constData() + begin, end - begin);
        if (!isBlankLine(line.data(), line.size()))
            return line.contains(';') && !line.contains(',') ? ';' : ',';
    }
    return ',';
}

// libcsv's callbacks: a cell read, a row ended.
void onCell(void *bytes, size_t size, void *parser);
void onRowEnd(int, void *parser);

} // namespace

QString lineMessage(const QString &path, qint64 line, const QString &text)
{
    return QStringLiteral("%1:%2: %3").arg(QDir::toNativeSeparators(path)).arg(line).arg(text);
}

// The libcsv parser and where the row it is reading began.
struct RecipientList::Parser
{
    csv_parser csv{};
    std::deque<RecipientRow> *rows = nullptr;
    RecipientRow row;
    qint64 line = 1;      // the line being fed
    qint64 rowStart = 1;  // the line the current row began on
    bool atLineStart = true;
    bool rowOpen = false; // a line that is not blank was fed since the last row ended

    bool skipLine = false; // the rest of the line is dropped after a row that cannot be parsed
    bool crEnded = false;  // the last piece ended in a CR, so a LF that starts the next one ends no line
    unsigned char separator = ',';

    Parser() { start(); }
    ~Parser() { csv_free(&csv); }

    void start()
    {
        csv_init(&csv, CSV_STRICT | CSV_STRICT_FINI);
        csv_set_space_func(&csv, noSpace);
        csv_set_realloc_func(&csv, cappedRealloc);
        csv_set_blk_size(&csv, kCellBufferStep);
        csv_set_delim(&csv, separator);
    }

    // Gives up the row being read with `problem` and starts afresh on the next line.
    void rejectRow(const QString &problem)
    {
        RecipientRow rejected;
        rejected.line = rowStart;
        rejected.problem = problem;
        rows->push_back(std::move(rejected));
        row = RecipientRow();
        rowOpen = false;
        csv_free(&csv);
        start();
    }
    Parser(const Parser &) = delete;
    Parser &operator=(const Parser &) = delete;

    // Parses `size` bytes of one line; a row that cannot be parsed is given up with the rest of its line.
    void parse(const char *bytes, qsizetype size)
    {
        if (csv_parse(&csv, bytes, size_t(size), onCell, onRowEnd, this) != size_t(size)) {
            rejectRow(csv_error(&csv) == CSV_ENOMEM
                              ? QStringLiteral("a cell is longer than %1 MB").arg(kCellBufferLimit >> 20)
                              : QStringLiteral("a quote is misplaced: quote a cell whole and double the quotes inside it"));
            skipLine = true;
        }
    }

    void addCell(const char *bytes, size_t size)
    {
        if (size > size_t(kMaxCellBytes)) {
            row.problem = QStringLiteral("cell %1 is longer than %2 bytes").arg(row.fields.size() + 1).arg(kMaxCellBytes);
            row.fields << QString();
            return;
        }
        if (size > 0 && std::memchr(bytes, 0, size)) {
            row.problem = QStringLiteral("cell %1 holds a NUL byte; the list is not UTF-8 text").arg(row.fields.size() + 1);
            row.fields << QString();
            return;
        }
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        QString text = decoder(QByteArrayView(bytes, qsizetype(size)));
        if (decoder.hasError() && row.problem.isEmpty())
            row.problem = QStringLiteral("cell %1 is not valid UTF-8; save the list as \"CSV UTF-8\"").arg(row.fields.size() + 1);
        row.fields << text;
    }

    void endRow()
    {
        row.line = rowStart;
        rows->push_back(std::move(row));
        row = RecipientRow();
        rowOpen = false;
    }
};

namespace {

void onCell(void *bytes, size_t size, void *parser)
{
    static_cast<RecipientList::Parser *>(parser)->addCell(static_cast<const char *>(bytes), size);
}

void onRowEnd(int, void *parser)
{
    static_cast<RecipientList::Parser *>(parser)->endRow();
}

} // namespace

RecipientList::RecipientList(const QString &path)
    : m_path(path)
    , m_file(path)
    , m_parser(std::make_unique<Parser>())
{
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir() || !m_file.open(QIODevice::ReadOnly))
        throw Error(Status::ListUnusable, QStringLiteral("Cannot read the recipient list %1: %2")
                                              .arg(shown, QFileInfo(path).isDir() ? QStringLiteral("it is a folder") : m_file.errorString()));
    m_parser->rows = &m_pending;

    QByteArray start = m_file.read(kPieceBytes);
    if (start.startsWith("\xFF\xFE") || start.startsWith("\xFE\xFF"))
        throw Error(Status::ListUnusable, QStringLiteral("The recipient list %1 is saved as UTF-16; save it as \"CSV UTF-8\".").arg(shown));
    if (start.startsWith(kUtf8Bom))
        start.remove(0, kUtf8BomSize);
    m_separator = detectSeparator(start);
    m_parser->separator = static_cast<unsigned char>(m_separator);
    csv_set_delim(&m_parser->csv, m_parser->separator);
    feed(start.constData(), start.size());

    if (!next(m_header))
        throw Error(Status::ListUnusable, QStringLiteral("The recipient list %1 is empty: it has no header line naming the columns.").arg(shown));
    if (!m_header.problem.isEmpty())
        throw Error(Status::ListUnusable, lineMessage(path, m_header.line, QStringLiteral("the header line cannot be read: %1.").arg(m_header.problem)));
}

RecipientList::~RecipientList() = default;

bool RecipientList::next(RecipientRow &row)
{
    while (m_pending.empty() && !m_finished) {
        if (!readPiece())
            finish();
    }
    if (m_pending.empty())
        return false;
    row = std::move(m_pending.front());
    m_pending.pop_front();
    return true;
}

bool RecipientList::readPiece()
{
    char buffer[kPieceBytes];
    const qint64 size = m_file.read(buffer, kPieceBytes);
    if (size < 0)
        throwAtCurrentRow(QStringLiteral("the file cannot be read further: %1").arg(m_file.errorString()));
    if (size == 0)
        return false;
    feed(buffer, size);
    return true;
}

void RecipientList::feed(const char *bytes, qsizetype size)
{
    Parser &parser = *m_parser;
    qsizetype start = 0;
    if (parser.crEnded && size > 0 && bytes[0] == '\n') {
        // The second half of a CRLF: the line it ends was counted with the CR.
        parser.parse(bytes, 1);
        start = 1;
    }
    parser.crEnded = false;
    while (start < size) {
        bool hasEnd = false;
        const qsizetype end = lineEndAt(bytes, start, size, hasEnd);
        if (!parser.skipLine) {
            if (parser.atLineStart && !parser.rowOpen)
                parser.rowStart = parser.line;
            if (!isBlankLine(bytes + start, end - start))
                parser.rowOpen = true;
            parser.parse(bytes + start, end - start);
        }
        parser.atLineStart = hasEnd;
        if (hasEnd) {
            ++parser.line;
            parser.skipLine = false;
            parser.crEnded = end == size && bytes[end - 1] == '\r';
        }
        start = end;
    }
}

void RecipientList::finish()
{
    m_finished = true;
    if (csv_fini(&m_parser->csv, onCell, onRowEnd, m_parser.get()) != 0)
        m_parser->rejectRow(QStringLiteral("a quoted cell is never closed: the rest of the list, from this line on, was not read"));
}

void RecipientList::throwAtCurrentRow(const QString &text) const
{
    throw Error(Status::ListUnusable, lineMessage(m_path, m_parser->rowStart, text));
}

qint64 RecipientList::countRows(const QString &path)
{
    qint64 count = 0;
    try {
        RecipientList list(path);
        RecipientRow row;
        while (list.next(row))
            ++count;
    } catch (const Error &) {
    }
    return count;
}

} // namespace quill
