#pragma once

class CaptureRun;

// Asks once, after the output has ended, whether to view the log, and shows it on 'v' or 'V'.
void closingPrompt(CaptureRun& run);
