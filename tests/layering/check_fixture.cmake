# Runs CHECK (check_layers.cmake) on the tree FIXTURE and fails unless it fails and names
# exactly the lines marked "// forbidden" there, each as file:line.
cmake_minimum_required(VERSION 3.21)

execute_process(
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${FIXTURE}/src/core -P ${CHECK}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(status EQUAL 0)
    message(FATAL_ERROR "The check passed a tree with forbidden includes:\n${output}")
endif()

set(expected "")
file(GLOB_RECURSE files RELATIVE ${FIXTURE} ${FIXTURE}/src/core/*)
foreach(file IN LISTS files)
    file(READ ${FIXTURE}/${file} content)
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(line MATCHES "// forbidden")
            list(APPEND expected "${file}:${number}:")
        endif()
    endforeach()
endforeach()
string(REGEX MATCHALL "src/[^:\n]+:[0-9]+:" found "${output}")
list(SORT expected)
list(SORT found)
if(NOT found STREQUAL expected)
    string(REPLACE ";" "\n" expected "${expected}")
    message("Expected:\n${expected}\nThe check said:\n${output}")
    message(FATAL_ERROR "The check did not name exactly the forbidden lines")
endif()
