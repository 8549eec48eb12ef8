# Reads the #include lines of every file under SOURCE_DIR and fails on each arrow that goes
# against the layers, printing "file:line: what is wrong" for each:
# - a core file (of kadrilo_core or of the report program, which links only the core) lies in
#   platform, run, analysis or report, and includes files of its own folder or of a lower one
#   (platform < run < analysis < report), never a GUI file nor a header of Qt Gui, Widgets or
#   Charts;
# - a GUI file (of kadrilo_gui or of kadrilo) includes anything;
# - every file belongs to the build.
# BUILD_LISTS is a CMake file that tells which file goes where, by calls of
#   kadrilo_sources(core|gui TARGET BASE_DIR "SOURCES")
# with SOURCES relative to BASE_DIR or absolute, as a target's SOURCES property holds them.
# QT_HEADERS is the folder that holds Qt's module header folders (QtGui, QtWidgets...).
cmake_minimum_required(VERSION 3.21)

foreach(variable SOURCE_DIR BUILD_LISTS QT_HEADERS)
    if(NOT ${variable})
        message(FATAL_ERROR "check_layers.cmake needs -D${variable}=...")
    endif()
endforeach()

set(layers platform run analysis report)
set(drawing_modules QtGui QtWidgets QtCharts)
foreach(module IN LISTS drawing_modules)
    if(NOT IS_DIRECTORY "${QT_HEADERS}/${module}")
        message(FATAL_ERROR "No Qt headers in ${QT_HEADERS}/${module}")
    endif()
endforeach()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
get_filename_component(root "${SOURCE_DIR}" DIRECTORY)

# Each file of the build gets side_<path> (core or gui) and owner_<path> (its target).
macro(kadrilo_sources side target base_dir sources)
    foreach(source IN ITEMS ${sources})
        get_filename_component(path "${source}" ABSOLUTE BASE_DIR "${base_dir}")
        set("side_${path}" ${side})
        set("owner_${path}" ${target})
    endforeach()
endmacro()
include("${BUILD_LISTS}")

set(problems "")
function(note path number text)
    file(RELATIVE_PATH shown "${root}" "${path}")
    set(problems "${problems}${shown}:${number}: ${text}\n" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE files LIST_DIRECTORIES false
     "${SOURCE_DIR}/*.h" "${SOURCE_DIR}/*.hpp" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.cc")
list(SORT files)
foreach(file IN LISTS files)
    set(side "${side_${file}}")
    set(owner "${owner_${file}}")
    if(NOT side)
        note("${file}" 1 "in no library or program of the build: list it in a target_sources")
        continue()
    endif()
    if(side STREQUAL "gui")
        continue()
    endif()
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${file}")
    string(REGEX REPLACE "/.*" "" folder "${relative}")
    list(FIND layers "${folder}" layer)
    if(layer EQUAL -1)
        note("${file}" 1 "a file of ${owner} must lie in platform, run, analysis or report")
        continue()
    endif()
    get_filename_component(file_dir "${file}" DIRECTORY)

    # One list element per line; characters that would split or join elements are blanked.
    file(READ "${file}" content)
    string(REGEX REPLACE "[][;\\\\]" " " content "${content}")
    string(REPLACE "\n" ";" lines "${content}")
    set(number 0)
    foreach(line IN LISTS lines)
        math(EXPR number "${number} + 1")
        if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
            continue()
        endif()
        set(quote "${CMAKE_MATCH_1}")
        set(name "${CMAKE_MATCH_2}")
        if(quote STREQUAL "<")
            set(shown_name "<${name}>")
        else()
            set(shown_name "\"${name}\"")
        endif()

        # A quoted name is looked for beside the file first, as the compiler does; then in the
        # include folder that every target has, SOURCE_DIR.
        set(included "")
        if(quote STREQUAL "\"" AND EXISTS "${file_dir}/${name}")
            get_filename_component(included "${file_dir}/${name}" ABSOLUTE)
        elseif(EXISTS "${SOURCE_DIR}/${name}")
            get_filename_component(included "${SOURCE_DIR}/${name}" ABSOLUTE)
        endif()

        if(included)
            set(included_side "${side_${included}}")
            if(NOT included_side)
                continue() # reported as a file of its own
            endif()
            if(included_side STREQUAL "gui")
                note("${file}" ${number} "${shown_name} is a file of ${owner_${included}}: \
a file of ${owner} includes no GUI file")
                continue()
            endif()
            file(RELATIVE_PATH included_relative "${SOURCE_DIR}" "${included}")
            string(REGEX REPLACE "/.*" "" included_folder "${included_relative}")
            list(FIND layers "${included_folder}" included_layer)
            if(included_layer GREATER layer)
                note("${file}" ${number} "${shown_name} goes up from ${folder} to \
${included_folder}: a core file includes its own layer and lower ones only \
(platform < run < analysis < report)")
            endif()
            continue()
        endif()

        # A header of Qt's drawing modules, by its module folder or by where it lies.
        string(REGEX REPLACE "/.*" "" first_part "${name}")
        foreach(module IN LISTS drawing_modules)
            if(first_part STREQUAL module OR EXISTS "${QT_HEADERS}/${module}/${name}")
                note("${file}" ${number} "${shown_name} is a header of ${module}: \
a file of ${owner} includes no header of Qt Gui, Widgets or Charts")
                break()
            endif()
        endforeach()
    endforeach()
endforeach()

if(problems)
    # Printed as it is, one problem a line, which FATAL_ERROR would wrap.
    message("${problems}")
    message(FATAL_ERROR "Includes against the layers, listed above")
endif()
list(LENGTH files count)
message(STATUS "${count} files of ${SOURCE_DIR} keep the layers")
