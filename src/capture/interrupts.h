#pragma once

// While the program's output flows, and while the viewer runs, the interrupt and quit keys are
// theirs alone, as the shell leaves them to the program it waits for: the utility goes on. The
// program still gets them, as nothing of this is inherited.
void leaveInterruptsToOthers();
void takeInterruptsBack();
