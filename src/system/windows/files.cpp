#include "system/files.h"

#include <algorithm>
#include <cstdlib>

#include "system/windows/win32.h"

bool sys::Handle::close() {
    const Native native = release();
    return native == kNone || CloseHandle(asHandle(native));
}

// With neither variable, the log goes to the current folder: nothing before its name.
std::string sys::temporaryFolder() {
    for (const char* name : {"TEMP", "TMP"}) {
        const char* folder = std::getenv(name);
        if (folder && *folder) return folder + std::string("\\");
    }
    return "";
}

unsigned long sys::processId() {
    return GetCurrentProcessId();
}

// Without security attributes the handle is not inherited. Readers may open the file while it is
// written; Windows deletes no open file, so the log is closed before it is deleted.
sys::Creation sys::createNewFile(const std::string& path, Handle& file) {
    const HANDLE created = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                       CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_FILE_EXISTS ? Creation::Taken : Creation::Failed;
    }
    file = Handle(asNative(created));
    return Creation::Created;
}

// A synchronous write, of at most MAXDWORD bytes, waits until the file takes them. One that takes
// none, as a pipe in no-wait mode would, fails rather than spin.
bool sys::writeAll(Handle::Native file, const char* bytes, std::size_t count) {
    for (DWORD written = 0; count > 0; bytes += written, count -= written) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(count, MAXDWORD));
        if (!WriteFile(asHandle(file), bytes, chunk, &written, nullptr)) return false;
        if (written == 0) return failWith(ERROR_WRITE_FAULT);
    }
    return true;
}

bool sys::removeFile(const char* path) {
    return DeleteFileA(path);
}
