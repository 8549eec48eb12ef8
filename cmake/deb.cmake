# The Debian package (component "deb"), laid out as Debian wants it:
#   /usr/lib/kadrilo/            the program folder: kadrilo, kadrilo-rapport and exiftool.exe,
#                                a link to Debian's ExifTool (libimage-exiftool-perl)
#   /usr/bin/kadrilo, /usr/bin/kadrilo-rapport    links into the program folder
#   /usr/share/applications/kadrilo.desktop      the menu entry
#   /usr/share/icons/hicolor/NxN/apps/kadrilo.png the icon, drawn by scripts/make-icons.sh
#   /usr/share/metainfo/org.kadrilo.kadrilo.metainfo.xml   AppStream metadata
#   /usr/share/man/man1/, /usr/share/doc/kadrilo/           manual pages, changelog, copyright
# The programs find their folder through /proc/self/exe, so started through the links in
# /usr/bin they still look for exiftool.exe in /usr/lib/kadrilo. That folder is read-only for
# a person: Kadrilo then keeps its temp folder in the person's cache folder.
#
# The paths are relative to the package's prefix, /usr. The component is left out of a plain
# `cmake --install`: its links assume that prefix.
#
# lintian (tests/package/validate.sh) finds no error and no warning. What it still shows:
#  - I: binary-has-unneeded-section .comment: CPack strips with plain `strip`, which leaves
#    the compiler's version note (a few bytes) in place; dh_strip would remove it.
#  - I: hardening-no-fortify-functions, for kadrilo-rapport: it is built with _FORTIFY_SOURCE
#    (below), but its only fortifiable call, a one-byte read() into a one-byte buffer, is
#    proven safe when compiled, so no checked variant is linked for lintian to see.
#  - X: executable-in-usr-lib: /usr/lib/kadrilo is the program folder that the design asks
#    for (exiftool.exe beside the program); the commands are on the PATH through links.

# Binaries built as Debian builds its own (dpkg-buildflags' hardening): fortified C library
# calls where the optimiser can check them, and every symbol bound at start.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    foreach(target kadrilo_core kadrilo_gui kadrilo kadrilo-rapport)
        if(TARGET ${target})
            target_compile_definitions(${target} PRIVATE
                $<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
        endif()
    endforeach()
    target_link_options(kadrilo PRIVATE LINKER:-z,relro,-z,now)
    target_link_options(kadrilo-rapport PRIVATE LINKER:-z,relro,-z,now)
endif()

set(KADRILO_RELEASE_DATE 2026-12-07)
set(KADRILO_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 00:00:00 +0000") # the same day
set(KADRILO_DEB_MAINTAINER "Kadrilo developers <kadrilo@example.org>" CACHE STRING
    "Maintainer field of the Debian package")

set(kadrilo_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(kadrilo_staged ${CMAKE_CURRENT_BINARY_DIR}/packaging)

install(TARGETS kadrilo kadrilo-rapport RUNTIME DESTINATION lib/kadrilo
        COMPONENT deb EXCLUDE_FROM_ALL)

# Relative links, as Debian policy asks for links inside /usr; exiftool.exe reaches
# /usr/bin/exiftool of libimage-exiftool-perl, a dependency of the package.
install(CODE "
    set(kadrilo_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(MAKE_DIRECTORY \"\${kadrilo_root}/bin\")
    foreach(kadrilo_link
            \"lib/kadrilo/exiftool.exe|../../bin/exiftool\"
            \"bin/kadrilo|../lib/kadrilo/kadrilo\"
            \"bin/kadrilo-rapport|../lib/kadrilo/kadrilo-rapport\")
        string(REPLACE \"|\" \";\" kadrilo_link \"\${kadrilo_link}\")
        list(GET kadrilo_link 0 kadrilo_name)
        list(GET kadrilo_link 1 kadrilo_target)
        message(STATUS \"Installing: \${kadrilo_root}/\${kadrilo_name} -> \${kadrilo_target}\")
        file(REMOVE \"\${kadrilo_root}/\${kadrilo_name}\")
        file(CREATE_LINK \"\${kadrilo_target}\" \"\${kadrilo_root}/\${kadrilo_name}\" SYMBOLIC)
    endforeach()
" COMPONENT deb EXCLUDE_FROM_ALL)

install(FILES ${kadrilo_packaging}/kadrilo.desktop DESTINATION share/applications
        COMPONENT deb EXCLUDE_FROM_ALL)
foreach(size 16 24 32 48 64 128 256)
    install(FILES ${kadrilo_packaging}/icons/${size}x${size}/kadrilo.png
            DESTINATION share/icons/hicolor/${size}x${size}/apps COMPONENT deb EXCLUDE_FROM_ALL)
endforeach()

# Files that carry the version, and their compressed forms (gzip -n: no name or time stamp
# inside, so the package does not change from one build to the next).
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KADRILO_DEB_MAINTAINER}")
configure_file(${kadrilo_packaging}/org.kadrilo.kadrilo.metainfo.xml.in
               ${kadrilo_staged}/org.kadrilo.kadrilo.metainfo.xml @ONLY)
foreach(name kadrilo.1 kadrilo-rapport.1 changelog)
    configure_file(${kadrilo_packaging}/${name}.in ${kadrilo_staged}/${name} @ONLY)
    execute_process(COMMAND gzip -9nc ${kadrilo_staged}/${name}
                    OUTPUT_FILE ${kadrilo_staged}/${name}.gz RESULT_VARIABLE kadrilo_gzip)
    if(NOT kadrilo_gzip EQUAL 0)
        message(FATAL_ERROR "gzip ${name} failed: ${kadrilo_gzip}")
    endif()
endforeach()
install(FILES ${kadrilo_staged}/org.kadrilo.kadrilo.metainfo.xml DESTINATION share/metainfo
        COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${kadrilo_staged}/kadrilo.1.gz ${kadrilo_staged}/kadrilo-rapport.1.gz
        DESTINATION share/man/man1 COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES ${kadrilo_staged}/changelog.gz ${kadrilo_packaging}/copyright
        DESTINATION share/doc/kadrilo COMPONENT deb EXCLUDE_FROM_ALL)

# Directories as Debian wants them, whatever the umask of the person who builds.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # kadrilo_VERSION_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt libraries and the C++ run-time come from dpkg-shlibdeps. The rest is what the
# programs run or load without linking to it: ExifTool, the font of the windows, Qt's
# platform plugins, without which no window opens, and the SQLite driver that Qt SQL loads.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libimage-exiftool-perl, fonts-liberation, qt6-qpa-plugins, libqt6sql6-sqlite, qt6-translations-l10n")
set(KADRILO_DEB_SUMMARY "shooting statistics of Canon raw images")
# CPack puts the summary (set for DEB in cmake/cpack_generator.cmake.in) in front.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kadrilo tells a photographer how a group of Canon raw images (CR2, CRW) was
shot. It runs ExifTool over a folder, with or without its sub-folders, and
shows the counts and shares per ISO band, aperture, drive mode, autofocus
mode and lens, as labelled results and bar charts. Its interface is in
French.
.
The command kadrilo-rapport prints the same statistics in a terminal, as
text, CSV or JSON.")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${kadrilo_packaging}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
