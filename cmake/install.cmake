# A portable install: `cmake --install build --prefix FOLDER` makes FOLDER a program folder
# of its own, laid out as the build folder is. Kadrilo finds exiftool.exe beside itself and
# creates its temp folder there, so everything goes to the prefix itself, not to bin/.
install(TARGETS kadrilo kadrilo-rapport RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/resources/kadrilo.png DESTINATION .)

# exiftool.exe: a link to the ExifTool found at configure time. The path is made at install
# time, so DESTDIR and the staging folder of CPack are honoured.
install(CODE "
    set(kadrilo_link \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/exiftool.exe\")
    message(STATUS \"Installing: \${kadrilo_link} -> ${KADRILO_EXIFTOOL}\")
    file(REMOVE \"\${kadrilo_link}\")
    file(CREATE_LINK \"${KADRILO_EXIFTOOL}\" \"\${kadrilo_link}\" SYMBOLIC)
")

# `cpack --config build/CPackConfig.cmake` (or `cmake --build build --target package`): the
# same program folder in a .tar.gz, under one top folder named after the version.
set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME kadrilo)
set(CPACK_PACKAGE_VENDOR "Kadrilo")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/[.]git/" "/[.]git$" "/build[^/]*/" "/[.]cache/")
include(CPack)
