#include "interaction/closing_prompt.h"

#include "interaction/key.h"
#include "interaction/messages.h"
#include "output/output.h"

namespace {
// Whether the keys come from a console (a terminal) while the output goes elsewhere, into a file
// or another program: nobody would see the prompt there, and a key pressed blind would be taken
// from whatever reads the console next. The same with a terminal that is another session's.
bool promptUnseen() {
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode;
    // A question, not an operation: failing means the input is no console.
    const bool console = GetConsoleMode(input, &mode);
    return (console && !outputIsConsole()) || platform::isAnotherSessionsTerminal(input);
}
}  // namespace

// Nobody sees a prompt whose reader has gone, or that goes where the keyboard's user does not
// look: then no key is waited for, and the console is left as it is.
bool askToViewLog() {
    if (nobodyReads() || promptUnseen()) return false;
    MessageBuffer prompt;
    messageLibrary.load(IDS_VIEW_PROMPT, prompt);
    say("\n\n\n");
    char key;
    do {
        say("%s\n", prompt);
        // Seen before we wait, and before anything the viewer writes, even when output is a pipe.
        if (!flushOutput()) return false;
    } while (!readKey(key));  // stopped at the prompt and continued: it is shown again
    return key == 'v' || key == 'V';
}
