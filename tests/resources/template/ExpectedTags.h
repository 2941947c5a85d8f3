#pragma once

#include <QStringList>

namespace quill::test {

// The placeholder tags of the template's body, in reading order and in the letter case they are written in.
inline const QStringList kBodyTags = {
    // Sender, date, recipient and salutation.
    "[YourName]", "[StreetAddress]", "[City]", "[ST]", "[ZIPCode]",
    "[CurrentDate]",
    "[RecipientName]", "[Title]", "[CompanyName]", "[StreetAddress2]", "[City2]", "[ST2]", "[ZIPCode2]",
    "[RecipientName]",
    // Signature.
    "[YourName]", "[YourTitle]",
    // Proposal schedule: address, then the date and addressee rows of its table.
    "[COMPANYNAME]", "[STREETADDRESS2]", "[CITY2]", "[ST2]", "[ZIPCode2]",
    "[CurrentDate]", "[RecipientName]",
};

// Placeholder tags: a name of letters and digits in square brackets.
inline constexpr char kTagPattern[] = R"(\[[A-Za-z0-9]+\])";

} // namespace quill::test
