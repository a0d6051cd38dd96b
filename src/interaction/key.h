#pragma once

// Reads one key from standard input without waiting for Enter and without echo, then puts the
// input back as it was. key is '\0' when the read failed or found nothing. Returns false when job
// control stopped the utility since the prompt was shown (POSIX only): the input is then as it
// was, and the prompt is to be shown again.
bool readKey(char& key);
