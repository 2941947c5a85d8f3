#pragma once

#include <QString>

#include <array>

namespace quill {

// Which frame of the main window a field sits in.
enum class FieldGroup { YourData, RecipientData, Window };

// One letter field of the main window: its index (identity in code and in the settings),
// its placeholder tag, its caption and where it sits (twips, relative to its frame).
struct LetterField
{
    int index;
    const char *tag;
    const char *label; // empty for the date field, which has none
    FieldGroup group;
    int left, top, width, height; // twips
};

// Number of fields; indexes run from 0 to 13.
constexpr int kFieldCount = 14;
// The field that holds the letter's date; the program fills it and the user never sees it.
constexpr int kDateField = 13;
// Fields 0 to 12 are typed by the user and restored at start-up.
constexpr int kTypedFieldCount = 13;

// All fields, in tab order.
extern const std::array<LetterField, kFieldCount> kLetterFields;

// The field with `index`.
const LetterField &letterField(int index);

// The settings key of field `index` ("Text1_" and the index in decimal).
QString fieldSettingsKey(int index);

// One value of the example sender and recipient.
struct SampleValue
{
    int line;  // line number of the assignment in "Load Sample/Example Data"
    int index; // field index
    const char *value;
};

// The example data, in the order it is set (screen order).
extern const std::array<SampleValue, kTypedFieldCount> kSampleValues;

} // namespace quill
