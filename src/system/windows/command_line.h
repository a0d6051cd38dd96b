#pragma once

#include <string>
#include <vector>

// No Windows header: the command line is built and tested anywhere.
namespace sys {

// The command line that the program's start-up code splits back into exactly these words: args[0]
// with executableSuffix added when it holds no '.', then each argument, one blank between them.
std::string commandLineFor(const std::vector<std::string>& args,
                           const std::string& executableSuffix);

// The word as one word of a command line: quoted when it is empty or holds a blank, a tab or a
// double quote, which is then escaped.
std::string asOneWord(const std::string& word);

// The argument as one word for cmd to hand a batch file: as it stands where cmd would act on none
// of its characters.
std::string forBatch(const std::string& argument);

// The command line on which cmd runs a batch file with these arguments, so that the file gets each
// of them as one word exactly as it stands: cmd /c with its variables' delayed expansion off, the
// file's full path quoted, then words (the viewer's own) as they stand, then each argument quoted
// for cmd. False where an argument holds a % or a line break, which no form passes.
bool batchCommandLine(const std::string& script, const std::string& words,
                      const std::vector<std::string>& args, std::string& line);

}  // namespace sys
