// libFuzzer entry point: find and replace in a document whose main part is the input's XML.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return quill::fuzz::replaceInDocument(data, size);
}
