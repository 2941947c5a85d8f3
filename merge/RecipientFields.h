#pragma once

#include "LetterFields.h"
#include "LetterGeneration.h"
#include "RecipientList.h"

#include <QStringList>

#include <array>
#include <vector>

namespace quill {

// The letter's tag name without its brackets ("CompanyName" for "[CompanyName]").
QString tagName(int fieldIndex);
// The field whose tag `name` names, with or without its brackets and in any letter case; -1 for none.
int fieldNamed(const QString &name);

// The values a letter takes where the list has no column: the sender and recipient stored by the
// window (read, never written) and today's date, as the fourteen fields in field order.
std::vector<FieldReplacement> storedFields();

// Which column of a recipient list fills which field of the letter, matched by the header's names.
class ColumnMap
{
public:
    // Matches the columns of `header` (from the list at `listPath`) to the letter's tags. Throws Error
    // (ListUnusable) when two columns name the same tag or no column names one.
    ColumnMap(const QString &listPath, const RecipientRow &header);

    // One message for each column that names no tag of the letter (these columns are ignored).
    const QStringList &ignoredColumns() const { return m_ignored; }
    // How many cells each row must have: the header's count.
    int columnCount() const { return m_columnCount; }
    // The fourteen fields of the letter for `row`, in field order: the row's cell where a column names
    // the field, else the field of `fallback`.
    std::vector<FieldReplacement> fields(const RecipientRow &row, const std::vector<FieldReplacement> &fallback) const;

private:
    std::array<int, kFieldCount> m_columnOfField{};
    QStringList m_ignored;
    int m_columnCount = 0;
};

} // namespace quill
