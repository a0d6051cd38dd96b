#include "interaction/closing_prompt.h"

#include "diagnostics/report_failure.h"
#include "interaction/messages.h"
#include "output/output.h"
#include "system/terminal.h"

namespace {
// Keys from a terminal while the output goes elsewhere, or from another session's terminal:
// nobody would see the prompt, and a key pressed blind would be taken from the next reader.
bool promptUnseen() {
    sys::Keyboard keyboard;
    return (keyboard.saveMode() && !outputIsTerminal()) || sys::inputIsAnotherSessions();
}
}  // namespace

// Nobody sees a prompt whose reader has gone, or that goes where the keyboard's user does not
// look: then no key is waited for, and the terminal is left as it is.
bool askToViewLog() {
    if (nobodyReads() || promptUnseen()) return false;
    MessageBuffer prompt;
    messageLibrary.load(IDS_VIEW_PROMPT, prompt);
    say("\n\n\n");
    char key;
    for (bool shown = false;; shown = true) {
        // Stopped at the prompt and continued, it is shown again; continued in the background
        // (bg), we stop again first, quietly, until brought to the foreground (fg).
        if (shown) sys::stopUntilForeground();
        say("%s\n", prompt);
        // Seen before we wait, and before anything the viewer writes, even when output is a pipe.
        if (!flushOutput()) return false;
        if (readKey(key)) return key == 'v' || key == 'V';
    }
}

// Each step runs even when the one before failed: on redirected input the mode calls fail and
// are reported, and the byte is taken from the input as it comes.
bool readKey(char& key) {
    sys::Keyboard keyboard;
    reportFailure(keyboard.found(), "GetStdHandle");
    // Spelt as the utility has always reported it; scripts that read the reports know it so.
    reportFailure(keyboard.saveMode(), "GetconsoleMode");
    reportFailure(keyboard.setKeyMode(), "SetConsoleMode");
    const sys::KeyRead read = keyboard.readKey(key);
    if (read == sys::KeyRead::Stopped) return false;
    reportFailure(read == sys::KeyRead::Key, "ReadFile");
    reportFailure(keyboard.restoreMode(), "SetConsoleMode");
    return true;
}
