#pragma once

#include "system/handle.h"

namespace sys {

Handle::Native standardOutput();
Handle::Native standardError();
// A console on Windows.
bool isTerminal(Handle::Native handle);
// Whether standard input is a terminal that is not our controlling one (we were started in a
// session of our own): its keys are for whoever reads it there. Never on Windows.
bool inputIsAnotherSessions();
// Whether the console is ours alone, as one opened for us when we were double-clicked, whose
// window closes as soon as we end. Never on POSIX, where a terminal stays.
bool consoleIsOursAlone();

// Job control (POSIX): in the background of our terminal, stops until brought to the foreground.
// It returns at once where it cannot stop us (an orphaned group), and on Windows.
void stopUntilForeground();

enum class KeyRead { Key, Failed, Stopped };

// Standard input, read for one key without line input and without echo, then put back as it was.
// Each call is one step, each run even when the one before failed: on input that is no terminal
// the mode calls fail, and the byte is taken as it comes. Only a key typed once the key mode is
// set counts, and the rest of it (an escape sequence, a character's other bytes) is discarded.
// An ending while the key mode is set puts the terminal back first.
//
// Job control (POSIX): from the background the process stops until it is in the foreground. The
// stop key, and a continue since the keyboard was made (since the prompt was shown), end the
// wait with Stopped, the terminal as it was: the prompt is to be shown again.
class Keyboard {
public:
    Keyboard();
    ~Keyboard();
    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

    bool found() const;
    // Notes the mode; false for input that is no terminal.
    bool saveMode();
    bool setKeyMode();
    KeyRead readKey(char& key);
    bool restoreMode();

private:
    // Windows's input handle; POSIX reads descriptor 0 by name, as its ending handler must.
    [[maybe_unused]] Handle::Native input_;
    bool terminal_ = false;
    bool changed_ = false;
    long continuesSeen_ = 0;
};

}  // namespace sys
