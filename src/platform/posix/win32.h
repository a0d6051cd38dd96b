// The part of Win32 that Tarvix calls, emulated over POSIX.
//
// Only the types, constants and calls the program uses are here, and each call supports only the
// arguments the program passes; anything else fails with EINVAL. What it emulates:
//  - Handles: files, pipe ends, processes and threads. Zero is never valid and
//    INVALID_HANDLE_VALUE is distinct from every real handle.
//  - Last error: errno. GetLastError returns the errno of the failing call, every failing call
//    here sets it, and FormatMessageA gives strerror's text. ERROR_BROKEN_PIPE is EPIPE.
//  - Inheritance: an inheritable descriptor survives into a child; any other is close-on-exec. A
//    standard handle reaches the child once, as its 0, 1 or 2, as on Windows, where the child's
//    standard handles are the inherited handles themselves.
//  - Standard handles: a process-wide table that starts as descriptors 0, 1 and 2. Setting an
//    entry changes only what children inherit, never the utility's own descriptors.
//  - Console control handlers: signals. The interrupt key is CTRL_C_EVENT, the quit key
//    CTRL_BREAK_EVENT, a hang-up or a request to terminate CTRL_CLOSE_EVENT.
//  - Processes: the command line is split as Windows programs split theirs and the first word is
//    looked up on PATH; no shell is ever involved.
//  - Message libraries: catalogs the build writes (catalogs.cpp), read exactly at the path given,
//    never looked for elsewhere. A message box is a line on standard error.
// What it leaves out: security descriptors, share modes (POSIX has none), overlapped I/O, thread
// handles that do anything, waits with a timeout, and every call the program does not make.
// What it needs: POSIX, with a way to name the running program's file (own_file.cpp: Linux's
// /proc/self/exe, macOS's _NSGetExecutablePath), since the message catalogs are beside it.
#pragma once

#include <cerrno>
#include <cstdarg>
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LPVOID = void*;
using LPCVOID = const void*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPDWORD = DWORD*;
using HANDLE = void*;
struct HINSTANCE__;
using HMODULE = HINSTANCE__*;
using HINSTANCE = HMODULE;
struct HWND__;
using HWND = HWND__*;
using PHANDLE = HANDLE*;
using LPHANDLE = HANDLE*;

#define WINAPI
using PHANDLER_ROUTINE = BOOL (*)(DWORD controlType);

// Macros, as Windows has them, since macOS's headers define them too.
#define FALSE 0
#define TRUE 1

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;  // must be null
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

struct STARTUPINFOA {
    DWORD cb;  // the only field the program sets; the rest of Windows' structure is left out
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

struct OVERLAPPED;  // overlapped I/O is not supported: the pointer must be null
using LPOVERLAPPED = OVERLAPPED*;

constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD CREATE_NEW = 1;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

constexpr DWORD DUPLICATE_SAME_ACCESS = 0x2;
constexpr DWORD HANDLE_FLAG_INHERIT = 0x1;

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

constexpr DWORD ENABLE_PROCESSED_INPUT = 0x1;
constexpr DWORD ENABLE_LINE_INPUT = 0x2;
constexpr DWORD ENABLE_ECHO_INPUT = 0x4;

constexpr DWORD ERROR_BROKEN_PIPE = EPIPE;
constexpr DWORD ERROR_FILE_EXISTS = EEXIST;
constexpr DWORD ERROR_OPERATION_ABORTED = ECANCELED;

constexpr DWORD CTRL_C_EVENT = 0;
constexpr DWORD CTRL_BREAK_EVENT = 1;
constexpr DWORD CTRL_CLOSE_EVENT = 2;

constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_SETFOREGROUND = 0x10000;
constexpr int IDOK = 1;

constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x1000;
constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD MAKELANGID(WORD primary, WORD sub) {
    return static_cast<WORD>(sub << 10 | primary);
}

DWORD GetLastError();
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);

HANDLE CreateFileA(LPCSTR fileName, DWORD desiredAccess, DWORD shareMode,
                   LPSECURITY_ATTRIBUTES securityAttributes, DWORD creationDisposition,
                   DWORD flagsAndAttributes, HANDLE templateFile);
BOOL DeleteFileA(LPCSTR fileName);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead,
              LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD bytesToWrite, LPDWORD bytesWritten,
               LPOVERLAPPED overlapped);
BOOL CloseHandle(HANDLE object);

BOOL CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES pipeAttributes,
                DWORD size);
BOOL DuplicateHandle(HANDLE sourceProcess, HANDLE sourceHandle, HANDLE targetProcess,
                     LPHANDLE targetHandle, DWORD desiredAccess, BOOL inheritHandle, DWORD options);
// Only HANDLE_FLAG_INHERIT can be set.
BOOL SetHandleInformation(HANDLE object, DWORD mask, DWORD flags);

HANDLE GetStdHandle(DWORD stdHandle);
BOOL SetStdHandle(DWORD stdHandle, HANDLE handle);

BOOL GetConsoleMode(HANDLE console, LPDWORD mode);
// Setting the mode read back restores the terminal exactly as it was. Job control, which Windows
// lacks: from the background, a first change (or a read of the terminal) stops the process until
// it is continued in the foreground; a stop puts the terminal back as it was. Once the process
// has been stopped and continued since the mode was last asked for, a first change or a read
// fails with ERROR_OPERATION_ABORTED, the terminal as it was before the change: the caller asks
// for the mode again, sets it again and shows again what the reader is asked.
BOOL SetConsoleMode(HANDLE console, DWORD mode);
// Discards what was typed and not yet read, while the terminal is in the foreground. A console is
// waited for (WaitForSingleObject, with a time limit or none) until it holds input.
BOOL FlushConsoleInputBuffer(HANDLE console);
// A few routines at a time, called on the signal last added first until one returns TRUE; when
// none does, the signal takes its default action, as Windows' default handler ends the process.
// A signal that was ignored when the process started stays ignored. A routine is no signal
// disposition: a child starts with the signal at its default, as on Windows it starts without the
// routines.
BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE routine, BOOL add);

HANDLE GetCurrentProcess();
DWORD GetCurrentProcessId();
BOOL CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                    LPSECURITY_ATTRIBUTES processAttributes, LPSECURITY_ATTRIBUTES threadAttributes,
                    BOOL inheritHandles, DWORD creationFlags, LPVOID environment,
                    LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                    LPPROCESS_INFORMATION processInformation);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Versions: the layer gives the NT family's semantics.
BOOL GetVersionExA(LPOSVERSIONINFOA versionInformation);

// Libraries: only message libraries, as the build's catalogs, named by a path that holds a slash.
HMODULE LoadLibraryA(LPCSTR libraryName);
BOOL FreeLibrary(HMODULE module);
int LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
// There is no message box: the caption and text go to standard error.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
