#include "ClipboardPicture.h"
