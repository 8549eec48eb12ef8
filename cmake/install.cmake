# Two installs from one build:
#  - the portable program folder (component "portable", the default install):
#    `cmake --install build --prefix FOLDER` and the .tar.gz of CPack;
#  - the Debian package (component "deb", installed only when asked for): cmake/deb.cmake.

# A portable install: `cmake --install build --prefix FOLDER` makes FOLDER a program folder
# of its own, laid out as the build folder is. Kadrilo finds exiftool.exe beside itself and
# creates its temp folder there, so everything goes to the prefix itself, not to bin/.
install(TARGETS kadrilo kadrilo-rapport RUNTIME DESTINATION . COMPONENT portable)
install(FILES ${PROJECT_SOURCE_DIR}/resources/kadrilo.png DESTINATION . COMPONENT portable)

# exiftool.exe: a link to the ExifTool found at configure time. The path is made at install
# time, so DESTDIR and the staging folder of CPack are honoured.
install(CODE "
    set(kadrilo_link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/exiftool.exe\")
    message(STATUS \"Installing: \${kadrilo_link} -> ${KADRILO_EXIFTOOL}\")
    file(REMOVE \"\${kadrilo_link}\")
    file(CREATE_LINK \"${KADRILO_EXIFTOOL}\" \"\${kadrilo_link}\" SYMBOLIC)
" COMPONENT portable)

# `cmake --build build --target package` (or `cpack --config build/CPackConfig.cmake`) makes
# both: the program folder in a .tar.gz, under one top folder named after the version, and
# the Debian package kadrilo_VERSION_amd64.deb (on Linux). Each takes its own component,
# chosen in cmake/cpack_generator.cmake.in.
set(CPACK_GENERATOR TGZ)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    include(${CMAKE_CURRENT_LIST_DIR}/deb.cmake)
    list(APPEND CPACK_GENERATOR DEB)
endif()
set(CPACK_PACKAGE_NAME kadrilo)
set(CPACK_PACKAGE_VENDOR "Kadrilo")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/[.]git/" "/[.]git$" "/build[^/]*/" "/[.]cache/")
configure_file(${CMAKE_CURRENT_LIST_DIR}/cpack_generator.cmake.in
               ${CMAKE_CURRENT_BINARY_DIR}/cpack_generator.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/cpack_generator.cmake)
include(CPack)
