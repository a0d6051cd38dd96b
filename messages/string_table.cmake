# Writes the texts of a gencat message file (set 1) as a Windows resource script with one string
# table, so that both platforms' message libraries come from the same file. It reads the part of
# gencat's form that the texts use: blank lines, comments, "$set 1", and a text on a line of its
# own after its id and a blank or a tab. Anything else gencat would read (an escape, a line
# continued with a backslash, another directive) fails the build with its line number, so that no
# text ever goes missing or changes in silence.
#   cmake -DSOURCE=tarvmsg.msg -DOUTPUT=tarvmsg.rc -P string_table.cmake
file(READ ${SOURCE} content)
# Kept out of the way of CMake's lists, which split at ';' and escape with '\'.
string(ASCII 1 semicolon)
string(ASCII 2 backslash)
string(REPLACE ";" "${semicolon}" content "${content}")
string(REPLACE "\\" "${backslash}" content "${content}")
string(REPLACE "\n" ";" lines "${content}")
set(table "STRINGTABLE\nBEGIN\n")
set(number 0)
foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^([0-9]+)[ \t]([^${backslash}]*)$")
        string(REPLACE "\"" "\"\"" text "${CMAKE_MATCH_2}")
        string(REPLACE "${semicolon}" ";" text "${text}")
        string(APPEND table "    ${CMAKE_MATCH_1} \"${text}\"\n")
    elseif(NOT line MATCHES "^(|\\$|\\$[ \t].*|\\$set[ \t]+1[ \t]*)$")
        string(REPLACE "${semicolon}" ";" line "${line}")
        string(REPLACE "${backslash}" "\\" line "${line}")
        message(FATAL_ERROR "${SOURCE}:${number}: not a line the Windows string table can take "
            "as gencat reads it (write the text on one line, without backslashes): ${line}")
    endif()
endforeach()
string(APPEND table "END\n")
file(WRITE ${OUTPUT} "${table}")
