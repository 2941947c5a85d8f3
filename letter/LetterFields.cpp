#include "LetterFields.h"

#include <stdexcept>

namespace quill {

// Field geometry in twips. Sender fields sit in "Your Data", recipient fields in "Recipient Data";
// the date field lies below the window's client area, so it is never seen.
const std::array<LetterField, kFieldCount> kLetterFields = {{
    {0, "[YourName]", "Your Name:", FieldGroup::YourData, 1680, 300, 5895, 345},
    {12, "[YourTitle]", "Title:", FieldGroup::YourData, 1680, 750, 5895, 345},
    {6, "[StreetAddress]", "Street Address:", FieldGroup::YourData, 1680, 1200, 5895, 345},
    {1, "[City]", "City:", FieldGroup::YourData, 1680, 1650, 2655, 345},
    {8, "[ST]", "State:", FieldGroup::YourData, 5040, 1650, 540, 345},
    {9, "[ZIPCode]", "Zip Code:", FieldGroup::YourData, 6600, 1650, 975, 345},
    {7, "[RecipientName]", "Recipient Name:", FieldGroup::RecipientData, 1680, 300, 5895, 345},
    {10, "[Title]", "Title:", FieldGroup::RecipientData, 1680, 750, 5895, 345},
    {11, "[CompanyName]", "Company Name:", FieldGroup::RecipientData, 1680, 1200, 5895, 345},
    {4, "[StreetAddress2]", "Street Address:", FieldGroup::RecipientData, 1680, 1650, 5895, 345},
    {5, "[City2]", "City:", FieldGroup::RecipientData, 1680, 2100, 2655, 345},
    {3, "[ST2]", "State:", FieldGroup::RecipientData, 5040, 2100, 540, 345},
    {2, "[ZIPCode2]", "Zip Code:", FieldGroup::RecipientData, 6600, 2100, 975, 345},
    {13, "[CurrentDate]", "", FieldGroup::Window, 120, 7320, 1335, 345},
}};

const std::array<SampleValue, kTypedFieldCount> kSampleValues = {{
    {100, 0, "Orla Penhallow"},
    {102, 12, "Kestrelon"},
    {104, 6, "1234 East Main Street"},
    {106, 1, "Boise"},
    {108, 8, "ID"},
    {110, 9, "91002"},
    {112, 7, "John Smith"},
    {114, 10, "Contractor"},
    {116, 11, "Ridizaz Arevudud Inc."},
    {118, 4, "123 Garage St"},
    {120, 5, "Hawthorne"},
    {122, 3, "CA"},
    {124, 2, "90250"},
}};

const LetterField &letterField(int index)
{
    for (const LetterField &field : kLetterFields) {
        if (field.index == index)
            return field;
    }
    throw std::out_of_range("no letter field with this index");
}

QString fieldSettingsKey(int index)
{
    return QStringLiteral("Text1_") + QString::number(index);
}

} // namespace quill
