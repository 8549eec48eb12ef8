# Fails when the binary BINARY needs a GUI library of Qt: kadrilo-rapport must run where no
# display library is installed.
execute_process(COMMAND ${READELF} -d ${BINARY}
                OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "readelf could not read ${BINARY}")
endif()
string(REGEX MATCHALL "Qt6(Gui|Widgets|Charts|OpenGL)[^]]*" gui "${dynamic}")
if(gui)
    message(FATAL_ERROR "${BINARY} needs GUI libraries: ${gui}")
endif()
string(FIND "${dynamic}" "Qt6Core" core)
if(core EQUAL -1)
    message(FATAL_ERROR "readelf listed no Qt library for ${BINARY}:\n${dynamic}")
endif()
