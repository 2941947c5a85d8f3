// libFuzzer entry point: document packages as the engine reads them.
#include "FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return quill::fuzz::readPackage(data, size);
}
