#pragma once

#include "interaction/messages.h"
#include "system/platform.h"

// The text that refuses to run: IDS_VERSION_QUERY_FAILED when the version query failed,
// IDS_PLATFORM_UNSUPPORTED for a family other than Windows 95's and NT's, 0 to run.
unsigned platformRefusal(sys::Family family);

// Whether the utility may run here; when not, says why.
bool checkPlatform(const MessageLibrary& library);
