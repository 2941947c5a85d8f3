#include "WordApplication.h"

#include "WordObjects.h"

namespace quill {

AutomationObjectPtr createWordApplication()
{
    return std::make_shared<ApplicationObject>();
}

} // namespace quill
