// libFuzzer entry point: a recipient list read as the merge reads it, a file name made for each row.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return quill::fuzz::readRecipients(data, size);
}
