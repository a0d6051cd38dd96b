# Cross-builds with zig's clang (scripts/zig installs it), which carries musl, macOS's system
# headers and libraries, and libc++ for each: ZIG_TARGET is x86_64-linux-musl (a static utility
# that needs nothing from the system at run time), x86_64-macos or aarch64-macos.
# try_compile reads this file again, in a project of its own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZIG_TARGET)
if(ZIG_TARGET MATCHES "macos")
    set(CMAKE_SYSTEM_NAME Darwin)
    set(CMAKE_EXE_LINKER_FLAGS_INIT -L${CMAKE_CURRENT_LIST_DIR}/zig-macos)
else()
    set(CMAKE_SYSTEM_NAME Linux)
endif()
string(REGEX MATCH "^[^-]+" CMAKE_SYSTEM_PROCESSOR ${ZIG_TARGET})
# Installed here, at configure time, rather than by the first of several compilers run at once.
get_filename_component(zig ${CMAKE_CURRENT_LIST_DIR}/../scripts/zig ABSOLUTE)
execute_process(COMMAND ${zig} version OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
# CMake takes a compiler as one program: each of zig's tools gets a script of its own.
get_filename_component(tools ${CMAKE_CURRENT_LIST_DIR}/../build/tools/${ZIG_TARGET} ABSOLUTE)
foreach(tool cc "c++" ar ranlib)
    set(target_option "")
    if(tool MATCHES "^c")
        set(target_option "-target ${ZIG_TARGET}")
    endif()
    file(CONFIGURE OUTPUT ${tools}/${tool}
        CONTENT "#!/bin/sh\nexec ${zig} ${tool} ${target_option} \"$@\"\n" @ONLY)
    file(CHMOD ${tools}/${tool} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
        GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
set(CMAKE_C_COMPILER ${tools}/cc)
set(CMAKE_CXX_COMPILER ${tools}/c++)
set(CMAKE_AR ${tools}/ar)
set(CMAKE_RANLIB ${tools}/ranlib)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
