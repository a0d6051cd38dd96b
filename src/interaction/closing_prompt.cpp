#include "interaction/closing_prompt.h"

#include "interaction/key.h"
#include "interaction/messages.h"
#include "interaction/output.h"

// Nobody sees a prompt whose reader has gone: then no key is waited for.
bool askToViewLog() {
    if (nobodyReads()) return false;
    MessageBuffer prompt;
    loadMessage(messageLibrary, IDS_VIEW_PROMPT, prompt);
    say("\n\n\n");
    char key;
    do {
        say("%s\n", prompt);
        // Seen before we wait, and before anything the viewer writes, even when output is a pipe.
        if (!flushOutput()) return false;
    } while (!readKey(key));  // stopped at the prompt and continued: it is shown again
    return key == 'v' || key == 'V';
}
