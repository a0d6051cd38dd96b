#pragma once

// Reads one key from standard input without waiting for Enter and without echo, then puts the
// input back as it was. Returns '\0' when the read failed or found nothing.
char readKey();
