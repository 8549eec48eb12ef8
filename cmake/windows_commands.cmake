# Turns the build's compile_commands.json into syntax checks of the sources as Windows code,
# for scripts/check-windows.sh. Each file of src/ (and the moc output of the programs' targets)
# keeps the flags the build gives it, with MinGW-w64 as the compiler:
#   - Linux-only flags go: -fPIC (all Windows code is position independent), the hardening
#     of cmake/deb.cmake, which a Windows build does not set, and the sanitizers of
#     `scripts/test.sh --asan`, which MinGW does not have;
#   - Qt's Linux mkspec gives way to its win32-g++ one, and the definitions that Qt's
#     Windows CMake package puts on every target come in (UNICODE, _UNICODE, WIN32,
#     MINGW_HAS_SECURE_API);
#   - the output, the dependency file and -c give way to -fsyntax-only.
# Qt's headers then take their Windows branches, as our own #ifdef Q_OS_WIN do.
#
# cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DCOMPILER=... -DOUTPUT=... -P windows_commands.cmake
# OUTPUT gets one line per file, `check FILE COMPILER ARGUMENT...`, each word quoted for bash,
# and a first line that proves the flags make Windows code: with the first file's flags, a
# probe that stops unless Qt sees Windows.

function(bash_quote out word)
    string(REPLACE "'" "'\\''" word "${word}")
    set(${out} "'${word}'" PARENT_SCOPE)
endfunction()

# `check FILE COMPILER FLAGS... FILE`, quoted.
function(check_line out file flags)
    bash_quote(line "${file}")
    set(words "${COMPILER}" ${flags} "${file}")
    foreach(argument IN LISTS words)
        bash_quote(quoted "${argument}")
        string(APPEND line " ${quoted}")
    endforeach()
    set(${out} "check ${line}\n" PARENT_SCOPE)
endfunction()

file(READ "${BUILD_DIR}/compile_commands.json" json)
string(JSON count LENGTH "${json}")
math(EXPR last "${count} - 1")
set(lines "")
set(checked 0)
foreach(index RANGE ${last})
    string(JSON file GET "${json}" ${index} file)
    # The sources of src/, and the moc output of the targets built from them (tests and
    # benchmarks, in their own build folders, are left out).
    string(FIND "${file}" "${SOURCE_DIR}/src/" at)
    file(RELATIVE_PATH in_build "${BUILD_DIR}" "${file}")
    if(NOT at EQUAL 0
       AND NOT (file MATCHES "_autogen/mocs_compilation[.]cpp$"
                AND NOT in_build MATCHES "^([.][.]|tests/|bench/)"))
        continue()
    endif()
    string(JSON command GET "${json}" ${index} command)
    separate_arguments(arguments UNIX_COMMAND "${command}")
    list(POP_FRONT arguments)

    set(kept "")
    set(skip_value FALSE)
    foreach(argument IN LISTS arguments)
        if(skip_value)
            set(skip_value FALSE)
        elseif(argument MATCHES "^-(o|MT|MF|MQ)$")
            set(skip_value TRUE)
        elseif(argument MATCHES "^-(c|MD|MMD|fPIC|fPIE|D_FORTIFY_SOURCE=.*|fsanitize=.*)$"
               OR argument STREQUAL file)
        else()
            string(REGEX REPLACE "/mkspecs/linux-g[+][+]$" "/mkspecs/win32-g++" argument
                                 "${argument}")
            list(APPEND kept "${argument}")
        endif()
    endforeach()
    list(APPEND kept -DUNICODE -D_UNICODE -DWIN32 -DMINGW_HAS_SECURE_API=1 -fsyntax-only)

    if(checked EQUAL 0)
        set(probe "${OUTPUT}.probe.cpp")
        file(WRITE "${probe}" [=[
#include <QtGlobal>
#if !defined(Q_OS_WIN) || !defined(_WIN32) || !defined(UNICODE)
#error "these flags do not compile Windows code"
#endif
#include <windows.h>
]=])
        check_line(line "${probe}" "${kept}")
        string(APPEND lines "${line}")
    endif()
    check_line(line "${file}" "${kept}")
    string(APPEND lines "${line}")
    math(EXPR checked "${checked} + 1")
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "no file of ${SOURCE_DIR}/src in ${BUILD_DIR}/compile_commands.json")
endif()
file(WRITE "${OUTPUT}" "${lines}")
