#pragma once

#include "platform/platform.h"

// Ids of the texts in the message library.
constexpr UINT IDS_USAGE_FIRST = 1;
constexpr UINT IDS_USAGE_LAST = 8;
constexpr UINT IDS_VIEW_PROMPT = 9;
constexpr UINT IDS_VERSION_QUERY_FAILED = 10;
constexpr UINT IDS_PLATFORM_UNSUPPORTED = 11;
constexpr UINT IDS_PLATFORM_CAPTION = 12;
constexpr UINT kLastMessageId = IDS_PLATFORM_CAPTION;

// Every text is shown from a buffer this size, so at most 79 characters of it.
constexpr int kMessageBufferChars = 80;
using MessageBuffer = char[kMessageBufferChars];

// The message library, in English, and its translation into the user's language, if there is one
// that can be shown: loaded once at start, kept until the process ends.
struct MessageLibrary {
    HMODULE english = nullptr;
    HMODULE translation = nullptr;

    // Loads a text into the buffer: the translation's, else English. A text both lack loads as an
    // empty one.
    void load(UINT id, MessageBuffer& buffer) const;
};
extern MessageLibrary messageLibrary;

// Loads the message library and its translation; or says that the library is missing and returns
// false.
bool loadMessageLibrary();
