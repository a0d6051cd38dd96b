# Writes the texts of a gencat message file (set 1) as a Windows resource script with one string
# table, so that both platforms' message libraries come from the same file.
#   cmake -DSOURCE=tarvmsg.msg -DOUTPUT=tarvmsg.rc -P string_table.cmake
file(STRINGS ${SOURCE} lines ENCODING UTF-8)
set(table "STRINGTABLE\nBEGIN\n")
foreach(line IN LISTS lines)
    if(line MATCHES "^([0-9]+) (.*)$")
        string(REPLACE "\"" "\"\"" text "${CMAKE_MATCH_2}")
        string(APPEND table "    ${CMAKE_MATCH_1} \"${text}\"\n")
    endif()
endforeach()
string(APPEND table "END\n")
file(WRITE ${OUTPUT} "${table}")
