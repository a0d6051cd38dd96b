#pragma once

// Asks once, after the output has ended, whether to view the log: true on 'v' or 'V'.
bool askToViewLog();

// Reads one key from standard input without waiting for Enter and without echo, then puts the
// input back as it was. key is '\0' when the read failed or found nothing. Returns false when job
// control stopped the utility since the prompt was shown (POSIX): the input is then as it was,
// and the prompt is to be shown again.
bool readKey(char& key);
