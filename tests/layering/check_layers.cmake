# The compiler keeps the windows out of the core: src/gui is not on the core's include path.
# What it cannot see, this check reads from the #include lines of every file under SOURCE_DIR
# (src/core), and it fails on each one that breaks the core's order, printing "file:line: what
# is wrong":
# - every file lies in a layer: platform < run < analysis < report;
# - a file includes its own layer and lower ones only;
# - no include climbs out with "..", which would reach past the include path;
# - no header of a Qt module other than Core and SQL, which Qt's module prefix ("QtWidgets/...")
#   would find through the folder that holds them all.
cmake_minimum_required(VERSION 3.21)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "check_layers.cmake needs -DSOURCE_DIR=...")
endif()
set(layers platform run analysis report)
get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
get_filename_component(root "${SOURCE_DIR}/../.." ABSOLUTE)

set(problems "")
function(note path number text)
    file(RELATIVE_PATH shown "${root}" "${path}")
    set(problems "${problems}${shown}:${number}: ${text}\n" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files LIST_DIRECTORIES false
     "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.hpp" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.cc")
list(SORT files)
foreach(file IN LISTS files)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
    string(REGEX REPLACE "/.*" "" folder "${relative}")
    list(FIND layers "${folder}" layer)
    if(layer EQUAL -1 OR folder STREQUAL relative)
        note("${file}" 1 "a core file lies in platform, run, analysis or report")
        continue()
    endif()

    # One list element per line; characters that would split or join elements are blanked.
    file(READ "${file}" content)
    string(REGEX REPLACE "[][;\\\\]" " " content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
            continue()
        endif()
        set(name "${CMAKE_MATCH_1}")
        string(REGEX REPLACE "/.*" "" first_part "${name}")
        if(name MATCHES "(^|/)[.][.](/|$)")
            note("${file}" ${number} "${name} climbs out of its folder: \
a core file names what it includes from src/core, without \"..\"")
        elseif(first_part MATCHES "^Qt" AND NOT first_part STREQUAL name
               AND NOT first_part MATCHES "^Qt(Core|Sql)$")
            note("${file}" ${number} "${name} is a header of ${first_part}: \
the core uses Qt Core and Qt SQL alone")
        else()
            list(FIND layers "${first_part}" included_layer)
            if(included_layer GREATER layer AND NOT first_part STREQUAL name)
                note("${file}" ${number} "${name} goes up from ${folder} to ${first_part}: \
a core file includes its own layer and lower ones only (platform < run < analysis < report)")
            endif()
        endif()
    endforeach()
endforeach()

if(problems)
    # Printed as it is, one problem a line, which FATAL_ERROR would wrap.
    message("${problems}")
    message(FATAL_ERROR "Includes against the layers, listed above")
endif()
list(LENGTH files count)
message(STATUS "${count} files of ${SOURCE_DIR} keep the layers")
