#pragma once

// Asks once, after the output has ended, whether to view the log: true on 'v' or 'V'.
bool askToViewLog();

// One key from standard input, without Enter and without echo, the input then put back; '\0'
// when the read failed or found nothing. False when job control stopped us since the prompt was
// shown (POSIX): the prompt is to be shown again.
bool readKey(char& key);
