# Installs the build into a fresh prefix and runs the installed utility from another directory,
# with no arguments: it must find its catalog and print its usage.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    OUTPUT_QUIET RESULT_VARIABLE installed)
if(NOT installed EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()
execute_process(COMMAND ${PREFIX}/bin/tarvix WORKING_DIRECTORY /
    RESULT_VARIABLE exitCode OUTPUT_VARIABLE output ERROR_VARIABLE errors)
file(REMOVE_RECURSE ${PREFIX})
if(NOT exitCode EQUAL 1 OR NOT output MATCHES "\nUsage: tarvix <program>")
    message(FATAL_ERROR "installed tarvix: exit ${exitCode}\n${output}${errors}")
endif()
