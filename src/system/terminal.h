#pragma once

#include "system/handle.h"

namespace sys {

Handle::Native standardOutput();
Handle::Native standardError();
// Whether the handle is a terminal (a console on Windows).
bool isTerminal(Handle::Native handle);
// Whether standard input is a terminal that is not our controlling one (we were started in a
// session of our own): its keys are for whoever reads it there. Never on Windows.
bool inputIsAnotherSessions();
// Whether the console is ours alone, as one opened for us when we were double-clicked, whose
// window closes as soon as we end. Never on POSIX, where a terminal stays.
bool consoleIsOursAlone();

enum class KeyRead { Key, Failed, Stopped };

// Standard input, read for one key without line input and without echo, then put back as it was.
// Each call is one step, and each runs even when the one before failed: on input that is no
// terminal the mode calls fail, and the byte is taken from the input as it comes. Only a key typed
// once the key mode is set counts: what was typed before (Enter, pressed while the program ran) is
// discarded, and so is the rest of the key (an escape sequence, the other bytes of a character),
// so that nothing of it reaches the next reader.
//
// Job control (POSIX): from the background the process stops until it is in the foreground, as
// any program that changes the terminal does. The stop key, and a continue since the keyboard was
// made (since the prompt was shown), end the wait with Stopped: the terminal is then as it was,
// the process has stopped and been continued, and the prompt is to be shown again. An ending that
// comes while the key mode is set puts the terminal back first.
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
    Handle::Native input_;
    bool terminal_ = false;
    bool changed_ = false;
    long continuesSeen_ = 0;
};

}  // namespace sys
