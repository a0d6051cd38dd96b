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

// The loaded message library, in English: set once at start, kept until the process ends.
extern HMODULE messageLibrary;

// Loads the message library and its translation into the user's language, if there is one that
// can be shown; or says in a message box that the library is missing and returns false.
bool loadMessageLibrary();

// Loads a text into the buffer: the translation's, else the library's. A text both lack loads as
// an empty one.
void loadMessage(HMODULE library, UINT id, MessageBuffer& buffer);
