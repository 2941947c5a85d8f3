#include "RecipientFields.h"

#include "Error.h"
#include "Product.h"
#include "SettingsStore.h"

#include <algorithm>

namespace quill {

namespace {

// A header name as the user wrote it, without blanks around it and without its brackets.
QString bareName(const QString &name)
{
    QString bare = name.trimmed();
    if (bare.startsWith(QLatin1Char('[')) && bare.endsWith(QLatin1Char(']')))
        bare = bare.mid(1, bare.size() - 2);
    return bare;
}

} // namespace

QString tagName(int fieldIndex)
{
    const QString tag = QString::fromLatin1(letterField(fieldIndex).tag);
    return tag.mid(1, tag.size() - 2);
}

int fieldNamed(const QString &name)
{
    const QString bare = bareName(name);
    for (int index = 0; index < kFieldCount; ++index) {
        if (bare.compare(tagName(index), Qt::CaseInsensitive) == 0)
            return index;
    }
    return -1;
}

std::vector<FieldReplacement> storedFields()
{
    std::vector<FieldReplacement> fields;
    for (int index = 0; index < kFieldCount; ++index) {
        const QString tag = QString::fromLatin1(letterField(index).tag);
        // The date is never restored: like the window, a letter is dated today.
        const QString text = index == kDateField ? currentDateText()
                                                 : SettingsStore::read(kSettingsApplication, kProductName, fieldSettingsKey(index));
        fields.push_back({tag, text});
    }
    return fields;
}

ColumnMap::ColumnMap(const QString &listPath, const RecipientRow &header)
    : m_columnCount(int(header.fields.size()))
{
    m_columnOfField.fill(-1);
    for (int column = 0; column < m_columnCount; ++column) {
        const QString &name = header.fields[column];
        const int field = fieldNamed(name);
        if (field < 0) {
            if (!name.trimmed().isEmpty())
                m_ignored << lineMessage(listPath, header.line, QStringLiteral("column %1 \"%2\" names no tag of the letter; it is ignored.").arg(column + 1).arg(name));
            continue;
        }
        if (m_columnOfField[field] >= 0)
            throw Error(Status::ListUnusable, lineMessage(listPath, header.line, QStringLiteral("columns %1 and %2 both name the tag [%3]; keep one of them.")
                                                                                   .arg(m_columnOfField[field] + 1).arg(column + 1).arg(tagName(field))));
        m_columnOfField[field] = column;
    }
    if (std::all_of(m_columnOfField.begin(), m_columnOfField.end(), [](int column) { return column < 0; })) {
        QStringList names;
        for (int index = 0; index < kFieldCount; ++index)
            names << tagName(index);
        throw Error(Status::ListUnusable, lineMessage(listPath, header.line, QStringLiteral("the header names none of the letter's tags; name the columns %1.").arg(names.join(QStringLiteral(", ")))));
    }
}

std::vector<FieldReplacement> ColumnMap::fields(const RecipientRow &row, const std::vector<FieldReplacement> &fallback) const
{
    std::vector<FieldReplacement> fields = fallback;
    for (int index = 0; index < kFieldCount; ++index) {
        const int column = m_columnOfField[index];
        if (column >= 0)
            fields[size_t(index)].text = row.fields.value(column);
    }
    return fields;
}

} // namespace quill
