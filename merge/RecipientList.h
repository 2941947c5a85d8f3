#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <deque>
#include <memory>

struct csv_parser;

namespace quill {

// One data row of a recipient list.
struct RecipientRow
{
    qint64 line = 0;    // the line of the file the row starts on, from 1
    QStringList fields; // the cells, decoded from UTF-8, exactly as written
    QString problem;    // why the row cannot be used (bad bytes, an overlong cell); empty when it can
};

// The longest cell a row may hold, in bytes; a longer one rejects its row.
constexpr qsizetype kMaxCellBytes = 1 << 20;

// "FILE:LINE: text", the way a problem in a file is told on a terminal.
QString lineMessage(const QString &path, qint64 line, const QString &text);

// A recipient list as spreadsheets write CSV: RFC 4180 quoting (doubled quotes, line breaks inside
// quotes), CRLF, LF or CR line ends, UTF-8 with or without a byte-order mark, separated by commas, or by
// semicolons when the header line has semicolons and no commas. Read with libcsv in small pieces, so
// a list of any length takes the same memory. Blank lines are skipped; cells are kept exactly as
// written, blanks included.
class RecipientList
{
public:
    // Opens the list at `path` and reads its header row. Throws Error (ListUnusable) when the file
    // cannot be read or holds no header.
    explicit RecipientList(const QString &path);
    ~RecipientList();
    RecipientList(const RecipientList &) = delete;
    RecipientList &operator=(const RecipientList &) = delete;

    // The header row: the column names as written.
    const RecipientRow &header() const { return m_header; }
    // The cell separator found in the header line (',' or ';').
    char separator() const { return m_separator; }
    // Reads the next data row into `row`; false after the last one. A row that cannot be parsed (a
    // misplaced quote, an overlong cell) comes with its problem, and reading goes on at the next line;
    // a quote never closed ends the list with such a row. Throws Error (ListUnusable) when the file
    // cannot be read further; the rows before stand.
    bool next(RecipientRow &row);

    // How many data rows the list at `path` holds (for a progress bar); 0 when it cannot be read.
    static qint64 countRows(const QString &path);

    // The libcsv state and where the row being read began (inside the source file).
    struct Parser;

private:
    bool readPiece();
    void feed(const char *bytes, qsizetype size);
    void finish();
    void throwAtCurrentRow(const QString &text) const;

    QString m_path;
    QFile m_file;
    std::unique_ptr<Parser> m_parser;
    std::deque<RecipientRow> m_pending;
    RecipientRow m_header;
    char m_separator = ',';
    bool m_finished = false;
};

} // namespace quill
