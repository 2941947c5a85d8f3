#include "FuzzTargets.h"

#include "Error.h"
#include "FileNames.h"
#include "FuzzSupport.h"
#include "LetterFields.h"
#include "LetterOutput.h"
#include "RecipientFields.h"
#include "RecipientList.h"

#include <QSet>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace quill::fuzz {

namespace {

// The longest file name every file system takes, in bytes.
constexpr qsizetype kFileSystemNameBytes = 255;
// The most blank lines a first line may ask for before the list: enough to move a small list across
// the reader's first 64 KB piece, and no more, so that the header still starts in that piece.
constexpr int kMaxPaddingLines = 65535;

// A recipient list as the reader gave it; `refused` when it refused the list as a whole.
struct ReadList
{
    bool refused = false;
    char separator = ',';
    RecipientRow header;
    std::vector<RecipientRow> rows;
};

ReadList readList(const QString &path)
{
    ReadList read;
    std::unique_ptr<RecipientList> list;
    try {
        list = std::make_unique<RecipientList>(path);
    } catch (const Error &) {
        read.refused = true;
        return read;
    }
    read.separator = list->separator();
    read.header = list->header();
    try {
        RecipientRow row;
        while (list->next(row))
            read.rows.push_back(row);
    } catch (const Error &error) {
        std::fprintf(stderr, "fuzz: %s\n", qPrintable(error.description()));
        broken("a list in a plain file stopped being readable");
    }
    return read;
}

// How many lines `bytes` ends, counted as the reader counts them: LF, CRLF and a lone CR.
qint64 lineEnds(const QByteArray &bytes)
{
    qint64 count = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
            ++count;
    }
    return count;
}

// What every row promises: it starts on a line of the list after the row before it, and a row
// without a problem has its cells, which together hold no more bytes than the list.
void checkRows(const ReadList &read, const QByteArray &csv)
{
    std::vector<const RecipientRow *> rows{&read.header};
    for (const RecipientRow &row : read.rows)
        rows.push_back(&row);
    const qint64 lastLine = lineEnds(csv) + 1;
    qint64 previousLine = 0;
    qsizetype cellBytes = 0;
    for (const RecipientRow *row : rows) {
        if (row->line <= previousLine || row->line > lastLine)
            broken("a row's line is not after the row before it, or past the end of the list");
        if (row->problem.isEmpty() && row->fields.isEmpty())
            broken("a row without a problem has no cells");
        for (const QString &cell : row->fields)
            cellBytes += row->problem.isEmpty() ? cell.toUtf8().size() : 0;
        previousLine = row->line;
    }
    if (cellBytes > csv.size())
        broken("the cells hold more bytes than the list");
}

QByteArray quoted(const QString &cell)
{
    QByteArray bytes = cell.toUtf8();
    bytes.replace('"', "\"\"");
    return '"' + bytes + '"';
}

// `row` as a spreadsheet writes it, every cell quoted; it ends in CRLF or in LF.
QByteArray writtenRow(const RecipientRow &row, char separator, bool crlf)
{
    QByteArray text;
    for (qsizetype i = 0; i < row.fields.size(); ++i) {
        if (i > 0)
            text += separator;
        text += quoted(row.fields[i]);
    }
    return text + (crlf ? "\r\n" : "\n");
}

// A list whose rows all read cleanly, written out again with every cell quoted (after the same blank
// lines), reads back as the same cells, each row on the line it was written on.
void checkRoundTrip(const ReadList &read, int paddingLines)
{
    if (std::any_of(read.rows.begin(), read.rows.end(), [](const RecipientRow &row) { return !row.problem.isEmpty(); }))
        return;
    QByteArray csv = QByteArray(paddingLines, '\n') + writtenRow(read.header, read.separator, false);
    std::vector<qint64> lines; // where each data row is written, from 1
    qint64 line = lineEnds(csv) + 1;
    for (size_t i = 0; i < read.rows.size(); ++i) {
        const QByteArray row = writtenRow(read.rows[i], read.separator, i % 2 == 0);
        lines.push_back(line);
        line += lineEnds(row);
        csv += row;
    }
    const QString path = scratchPath("written.csv");
    writeFileOrAbort(path, csv);
    const ReadList again = readList(path);
    // The separator is told from the header's first line as far as the first 64 KB piece holds it;
    // blank lines before the header may cut that line at another place in the list written out.
    if (paddingLines > 0 && (again.refused || again.separator != read.separator))
        return;
    if (again.refused || again.separator != read.separator)
        broken("a list written from the rows read is refused or split by another separator");
    if (again.header.line != paddingLines + 1 || again.header.fields != read.header.fields || again.rows.size() != read.rows.size())
        broken("a list written from the rows read reads back with other rows");
    for (size_t i = 0; i < read.rows.size(); ++i) {
        if (again.rows[i].fields != read.rows[i].fields || !again.rows[i].problem.isEmpty())
            broken("a list written from the rows read reads back with other cells");
        if (again.rows[i].line != lines[i])
            broken("a row of a written list is reported on another line");
    }
}

bool hasUnsafeCharacter(const QString &name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control;
    });
}

// What a file name from the pattern promises, before and after it is numbered.
void checkName(const QString &name, qsizetype maxBytes)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        broken("a file name is empty, \".\" or \"..\"");
    if (hasUnsafeCharacter(name) || name.contains(QLatin1String("..")))
        broken("a file name holds a path separator, a control character or \"..\"");
    if (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char('-')) || name.front().isSpace() || name.back().isSpace())
        broken("a file name starts with a dot or a dash, or starts or ends with a blank");
    if (name.toUtf8().size() > maxBytes)
        broken("a file name is longer than its limit");
    for (qsizetype i = 0; i < name.size(); ++i) {
        const bool paired = name[i].isHighSurrogate() ? i + 1 < name.size() && name[i + 1].isLowSurrogate()
                                                      : !name[i].isLowSurrogate() || (i > 0 && name[i - 1].isHighSurrogate());
        if (!paired)
            broken("a file name is cut inside a character");
    }
}

// The values of the fields no column names: the letter's example data, the date left empty.
std::vector<FieldReplacement> exampleFields()
{
    std::vector<FieldReplacement> fields;
    for (int index = 0; index < kFieldCount; ++index)
        fields.push_back({QString::fromLatin1(letterField(index).tag), QString()});
    for (const SampleValue &sample : kSampleValues)
        fields[size_t(sample.index)].text = QString::fromUtf8(sample.value);
    return fields;
}

// Names every row the merge would write a letter for, as the merge names them, and checks each name.
void nameRows(const ReadList &read, const QString &listPath, const NamePattern &pattern)
{
    std::unique_ptr<ColumnMap> columns;
    try {
        columns = std::make_unique<ColumnMap>(listPath, read.header);
    } catch (const Error &) {
        return;
    }
    const std::vector<FieldReplacement> fallback = exampleFields();
    const qsizetype extensionBytes = std::max(letterExtension(LetterFormat::Doc).size(), letterExtension(LetterFormat::Pdf).size());
    NameBook book;
    QSet<QString> given;
    for (const RecipientRow &row : read.rows) {
        // The rows the merge skips: those with a problem, those of empty cells, those of another width.
        const bool empty = std::all_of(row.fields.begin(), row.fields.end(), [](const QString &cell) { return cell.isEmpty(); });
        if (!row.problem.isEmpty() || empty || row.fields.size() != columns->columnCount())
            continue;
        const QString base = pattern.nameFor(columns->fields(row, fallback), row.line);
        checkName(base, kMaxNameBytes);
        if (safeFileName(base) != base)
            broken("a safe file name is not left as it is");
        const QString name = book.claim(base);
        checkName(name, kFileSystemNameBytes - extensionBytes);
        if (name != base && !name.startsWith(base + QLatin1String(" (")))
            broken("a numbered file name does not start with its base name");
        if (given.contains(name.toCaseFolded()))
            broken("a file name is given twice");
        given.insert(name.toCaseFolded());
    }
}

// The first line's pattern, and the number of blank lines asked for after a TAB at its end.
NamePattern patternOf(QByteArray line, int &paddingLines)
{
    paddingLines = 0;
    const qsizetype tab = line.lastIndexOf('\t');
    if (tab >= 0) {
        bool isNumber = false;
        const int number = line.mid(tab + 1).toInt(&isNumber);
        if (isNumber) {
            paddingLines = std::clamp(number, 0, kMaxPaddingLines);
            line.truncate(tab);
        }
    }
    try {
        return NamePattern(QString::fromUtf8(line));
    } catch (const Error &) {
        return NamePattern(kDefaultNamePattern);
    }
}

} // namespace

int readRecipients(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype lineEnd = bytes.indexOf('\n');
    int paddingLines = 0;
    const NamePattern pattern = patternOf(bytes.left(lineEnd < 0 ? bytes.size() : lineEnd), paddingLines);
    const QByteArray csv = QByteArray(paddingLines, '\n') + (lineEnd < 0 ? QByteArray() : bytes.mid(lineEnd + 1));

    const QString path = scratchPath("recipients.csv");
    writeFileOrAbort(path, csv);
    const ReadList read = readList(path);
    if (read.refused)
        return 0;
    checkRows(read, csv);
    if (RecipientList::countRows(path) != qint64(read.rows.size()))
        broken("the rows counted and the rows read differ");
    checkRoundTrip(read, paddingLines);
    nameRows(read, path, pattern);
    return 0;
}

} // namespace quill::fuzz
