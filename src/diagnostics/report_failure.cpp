#include "diagnostics/report_failure.h"

#include "output/output.h"
#include "platform/platform.h"

namespace {
constexpr DWORD kReportBufferChars = 500;
}

int reportFailure(int ok, const char* operation) {
    if (ok) return ok;
    const DWORD code = GetLastError();
    // The report's form, "occured" and the reporter's own file and line included, is the
    // utility's established one: its users and their scripts know it, so it stays as it is. The
    // build maps the source path to one relative to the project, so no path of the build machine
    // ends up in the binary.
    say("\nFile:%s\nError occured in %s \t\t\ton line %d\n", __FILE__, operation, __LINE__);
    char text[kReportBufferChars] = "";
    // Without inserts to give, a text that has one ("%1 is not a valid Win32 application.") comes
    // as it stands, not as nothing.
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, kReportBufferChars, nullptr);
    return say("\nError:(%ld)%s ", static_cast<long>(code), text);
}
