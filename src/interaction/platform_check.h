#pragma once

#include "interaction/messages.h"

// The text that refuses to run: IDS_VERSION_QUERY_FAILED when the version query failed,
// IDS_PLATFORM_UNSUPPORTED for a family other than Windows 95's and NT's, 0 to run.
UINT platformRefusal(BOOL queried, DWORD platformId);

// Whether the utility may run here; when not, says why in a message box.
bool checkPlatform(const MessageLibrary& library);
