#pragma once

// Asks once, after the output has ended, whether to view the log: true on 'v' or 'V'.
bool askToViewLog();
