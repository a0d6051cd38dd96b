#pragma once

#include "platform/platform.h"

// Reads one key from standard input without waiting for Enter and without echo, then puts the
// input back as it was. key is '\0' when the read failed or found nothing. Returns false when a
// stop abandoned the key (job control, POSIX only): the terminal is then as it was, and the
// reader is to be asked again.
bool readKey(char& key);

// What a read from a console came to: a key or none (Done), an interrupt to wait out (ReadAgain)
// or a stop to ask again after (AskAgain). An aborted read is a stop where stops abandon reads;
// on Windows it is an interrupt, which cuts a console read short (from Windows 8 on, a read may
// even succeed with no byte) while the control handler, on a thread of its own, puts the mode
// back and ends the process: reading again leaves the mode to it.
enum class KeyRead { Done, ReadAgain, AskAgain };
KeyRead judgeConsoleRead(BOOL read, DWORD count, DWORD error, bool stopsAbandonReads);
