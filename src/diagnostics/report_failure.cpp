#include "diagnostics/report_failure.h"

#include "output/output.h"
#include "system/errors.h"

namespace {
constexpr int kReportBufferChars = 500;
}

// The report's form, "occured" and the reporter's own file and line included, is the utility's
// established one: its users and their scripts know it, so it stays as it is, line 17 too. It goes
// to standard error, so that a redirected output holds the program's bytes alone. The build maps
// the source path to one relative to the project: no path of the build machine is in the binary.
int reportFailure(int ok, const char* operation) {
    if (ok) return ok;
    const long code = sys::lastError();
    sayError("\nFile:%s\nError occured in %s \t\t\ton line %d\n", __FILE__, operation, __LINE__);
    char text[kReportBufferChars] = "";
    sys::errorText(code, text, sizeof text);
    return sayError("\nError:(%ld)%s ", code, text);
}
