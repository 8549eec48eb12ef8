# Checks the portable install and its CPack archive.
# cmake -DBUILD_DIR=... -DSCRATCH_DIR=... -DEXIFTOOL=... -DVERSION=... -P check_install.cmake

# A program folder is the program, the report, the ExifTool link and the icon, nothing else.
function(check_program_folder folder)
    file(GLOB entries RELATIVE "${folder}" "${folder}/*")
    list(SORT entries)
    if(NOT entries STREQUAL "exiftool.exe;kadrilo;kadrilo-rapport;kadrilo.png")
        message(FATAL_ERROR "unexpected entries in ${folder}: ${entries}")
    endif()
    foreach(name kadrilo kadrilo-rapport)
        if(IS_SYMLINK "${folder}/${name}" OR IS_DIRECTORY "${folder}/${name}")
            message(FATAL_ERROR "${name} must be a plain file in ${folder}")
        endif()
    endforeach()
    if(NOT IS_SYMLINK "${folder}/exiftool.exe")
        message(FATAL_ERROR "exiftool.exe must be a link in ${folder}")
    endif()
    file(READ_SYMLINK "${folder}/exiftool.exe" target)
    if(NOT target STREQUAL EXIFTOOL)
        message(FATAL_ERROR "exiftool.exe points to ${target}, not ${EXIFTOOL}")
    endif()
endfunction()

file(REMOVE_RECURSE "${SCRATCH_DIR}")
file(MAKE_DIRECTORY "${SCRATCH_DIR}/images")
# A blank in the path, as in a folder a person picks.
set(prefix "${SCRATCH_DIR}/Kadrilo portable")

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
check_program_folder("${prefix}")

# The installed report finds exiftool.exe beside itself: over a folder without images it runs
# ExifTool and ends with "no tag file" (5), not "ExifTool missing" (4).
execute_process(COMMAND "${prefix}/kadrilo-rapport" "${SCRATCH_DIR}/images"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 5 OR NOT out STREQUAL "")
    message(FATAL_ERROR "installed kadrilo-rapport: status ${result}, output '${out}', ${err}")
endif()

# Kadrilo started from the install makes its temp folder there; it is stopped after a while,
# as its window would wait for a person.
execute_process(COMMAND "${prefix}/kadrilo" TIMEOUT 5 RESULT_VARIABLE result
                OUTPUT_QUIET ERROR_QUIET)
if(NOT IS_DIRECTORY "${prefix}/temp")
    message(FATAL_ERROR "kadrilo did not create ${prefix}/temp (${result})")
endif()

# The CPack archive holds the same program folder under one top folder.
if(CMAKE_CPACK_COMMAND)
    set(cpack "${CMAKE_CPACK_COMMAND}")
else()
    get_filename_component(cmake_bin "${CMAKE_COMMAND}" DIRECTORY)
    set(cpack "${cmake_bin}/cpack")
endif()
execute_process(COMMAND "${cpack}" -G TGZ --config "${BUILD_DIR}/CPackConfig.cmake"
                        -B "${SCRATCH_DIR}/package"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${out} ${err}")
endif()
file(GLOB archives "${SCRATCH_DIR}/package/kadrilo-${VERSION}-*.tar.gz")
list(LENGTH archives count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one archive kadrilo-${VERSION}-*.tar.gz, found: ${archives}")
endif()
file(MAKE_DIRECTORY "${SCRATCH_DIR}/unpacked")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xzf "${archives}"
                WORKING_DIRECTORY "${SCRATCH_DIR}/unpacked" RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "the archive does not unpack: ${result}")
endif()
file(GLOB tops RELATIVE "${SCRATCH_DIR}/unpacked" "${SCRATCH_DIR}/unpacked/*")
get_filename_component(archive_name "${archives}" NAME)
string(REPLACE ".tar.gz" "" expected_top "${archive_name}")
if(NOT tops STREQUAL expected_top)
    message(FATAL_ERROR "archive top folder: '${tops}', expected '${expected_top}'")
endif()
check_program_folder("${SCRATCH_DIR}/unpacked/${expected_top}")
# Its programs are stripped: the debug information would make the archive many times larger.
foreach(name kadrilo kadrilo-rapport)
    file(STRINGS "${SCRATCH_DIR}/unpacked/${expected_top}/${name}" symbol_table
         REGEX "^[.]symtab$")
    if(symbol_table)
        message(FATAL_ERROR "${name} in the archive is not stripped")
    endif()
endforeach()

file(REMOVE_RECURSE "${SCRATCH_DIR}")
