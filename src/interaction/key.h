#pragma once

// Reads one key from standard input without waiting for Enter and without echo, then puts the
// input back as it was. key is '\0' when the read failed or found nothing. Returns false when the
// read was abandoned (the utility was stopped and continued): the reader is to be asked again.
bool readKey(char& key);
