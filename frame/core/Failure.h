#pragma once

#include <QString>

#include <stdexcept>

namespace quill {

// A failure of a program step, carrying the description the user reads in the error box.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString &description)
        : std::runtime_error(description.toStdString())
    {
    }
};

} // namespace quill
