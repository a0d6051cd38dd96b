#pragma once

#include "system/platform.h"
#include "system/texts.h"

// Ids of the texts in the message library.
constexpr unsigned IDS_USAGE_FIRST = 1;
constexpr unsigned IDS_USAGE_LAST = 8;
constexpr unsigned IDS_VIEW_PROMPT = 9;
constexpr unsigned IDS_VERSION_QUERY_FAILED = 10;
constexpr unsigned IDS_PLATFORM_UNSUPPORTED = 11;
constexpr unsigned IDS_PLATFORM_CAPTION = 12;
constexpr unsigned IDS_NO_LOG = 13;
constexpr unsigned kLastMessageId = IDS_NO_LOG;

// Every text is shown from a buffer this size, so at most 79 characters of it.
constexpr int kMessageBufferChars = 80;
using MessageBuffer = char[kMessageBufferChars];

// The message library, in English, and its translation into the user's language, if there is one
// that can be shown: loaded once at start, kept until the process ends.
struct MessageLibrary {
    const sys::Catalog* english = nullptr;
    const sys::Catalog* translation = nullptr;

    // Loads a text into the buffer: the translation's, else English. A text both lack loads as an
    // empty one.
    void load(unsigned id, MessageBuffer& buffer) const;
};
extern MessageLibrary messageLibrary;

// Loads the message library and its translation; or says that the library is missing and returns
// false. program is argv[0].
bool loadMessageLibrary(const char* program);

// The text that refuses to run: IDS_VERSION_QUERY_FAILED when the version query failed,
// IDS_PLATFORM_UNSUPPORTED for a family other than Windows 95's and NT's, 0 to run.
unsigned platformRefusal(sys::Family family);
// Whether the utility may run here; when not, says why.
bool checkPlatform(const MessageLibrary& library);
