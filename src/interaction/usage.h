#pragma once

// Prints the usage text, one line per message from IDS_USAGE_FIRST to IDS_USAGE_LAST.
void printUsage();
