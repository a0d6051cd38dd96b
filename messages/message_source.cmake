# Reads a gencat message file (set 1, one text per id) in the part of gencat's form that the texts
# use: blank lines, comments, "$set 1", and a text on a line of its own after its id and a blank or
# a tab. Anything else gencat would read (an escape, a line continued with a backslash, another
# directive) fails with its line number, so that no text ever goes missing or changes in silence.
# Each text must fit the utility's 80-byte buffer in UTF-8, so that no character is ever cut in two
# (but with UNCUT, for the test library that shows the cut). With BASE, the English file, it is a
# translation: it must have exactly BASE's ids.
# With OUTPUT, it writes the texts as a Windows resource script with one string table, marked
# language-neutral so that it is found whatever the thread's language. With CATALOG, it writes
# them as the POSIX layer's catalog: a line for each text, its id, a tab and the text, in UTF-8.
#   cmake -DSOURCE=de.msg [-DBASE=tarvmsg.msg] [-DUNCUT=ON] [-DOUTPUT=de.rc] [-DCATALOG=de.cat]
#         -P message_source.cmake
cmake_minimum_required(VERSION 3.25)

# Sets ids, table (the string table's lines) and catalog (the catalog's) from the file.
function(read_messages file)
    set(ids)
    set(table "")
    set(catalog "")
    file(READ ${file} content)
    # Kept out of the way of CMake's lists, which split at ';' and escape with '\'.
    string(ASCII 1 semicolon)
    string(ASCII 2 backslash)
    string(REPLACE ";" "${semicolon}" content "${content}")
    string(REPLACE "\\" "${backslash}" content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line MATCHES "^([0-9]+)[ \t]([^${backslash}]*)$")
            set(text "${CMAKE_MATCH_2}")
            string(REPLACE "${semicolon}" ";" text "${text}")
            string(LENGTH "${text}" bytes)
            if(NOT UNCUT AND bytes GREATER 79)
                message(FATAL_ERROR "${file}:${number}: text ${CMAKE_MATCH_1} has ${bytes} bytes in "
                    "UTF-8, more than the 79 the utility shows")
            endif()
            list(APPEND ids ${CMAKE_MATCH_1})
            string(APPEND catalog "${CMAKE_MATCH_1}\t${text}\n")
            string(REPLACE "\"" "\"\"" text "${text}")
            string(APPEND table "    ${CMAKE_MATCH_1} \"${text}\"\n")
        elseif(NOT line MATCHES "^(|\\$|\\$[ \t].*|\\$set[ \t]+1[ \t]*)$")
            string(REPLACE "${semicolon}" ";" line "${line}")
            string(REPLACE "${backslash}" "\\" line "${line}")
            message(FATAL_ERROR "${file}:${number}: not a line the Windows string table can take "
                "as gencat reads it (write the text on one line, without backslashes): ${line}")
        endif()
    endforeach()
    set(ids ${ids} PARENT_SCOPE)
    set(table "${table}" PARENT_SCOPE)
    set(catalog "${catalog}" PARENT_SCOPE)
endfunction()

if(BASE)
    read_messages(${BASE})
    set(english ${ids})
endif()
read_messages(${SOURCE})
if(BASE)
    foreach(id IN LISTS english)
        if(NOT id IN_LIST ids)
            message(FATAL_ERROR "${SOURCE}: text ${id} is missing (${BASE} has it)")
        endif()
    endforeach()
    foreach(id IN LISTS ids)
        if(NOT id IN_LIST english)
            message(FATAL_ERROR "${SOURCE}: text ${id} is not one of ${BASE}'s")
        endif()
    endforeach()
endif()
if(OUTPUT)
    file(WRITE ${OUTPUT} "#pragma code_page(65001)\nLANGUAGE 0, 0\nSTRINGTABLE\nBEGIN\n${table}END\n")
endif()
if(CATALOG)
    file(WRITE ${CATALOG} "${catalog}")
endif()
