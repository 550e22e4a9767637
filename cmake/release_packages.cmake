# The release trees' install rules (`cmake --install`) and packages (CPack,
# through tools/release). The native tree installs the Linux layout, which the
# Debian package (below /usr) and the tar.gz (below one folder) both carry:
#
#   bin/setup-pack
#   lib/setup-pack/libunzip32.so         the unzip library setup-pack loads
#   share/setup-pack/win32/setup.exe     the Windows programs setup-pack ships,
#                          unzip32.dll   as the win32 tree left them in
#                          setup-launcher.exe  SETUP_PACK_WINDOWS_PROGRAMS
#   share/doc/setup-pack/README.md, packer-README.md
#
# setup-pack looks for its files there relative to its own folder
# (packer/base/tool_files.h). The win32 tree installs setup-pack.exe with the
# three programs and the library beside it, the Windows zip.

# CPack installs without building the whole tree first (the win32 tree holds
# every test); tools/release builds what the packages carry.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME setup-pack)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "makes and checks single-window Windows installer packages")
set(CPACK_SOURCE_GENERATOR "")

if(WIN32)
    install(TARGETS setup-pack setup-launcher setup unzip32 RUNTIME DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME "setup-pack-${PROJECT_VERSION}-windows")
else()
    set(SETUP_PACK_WINDOWS_PROGRAMS "${PROJECT_SOURCE_DIR}/dist/win32" CACHE PATH
        "The folder of setup.exe, unzip32.dll and setup-launcher.exe that the native packages carry")
    install(TARGETS setup-pack RUNTIME DESTINATION bin)
    install(TARGETS unzip32 LIBRARY DESTINATION lib/setup-pack)
    install(FILES ${SETUP_PACK_WINDOWS_PROGRAMS}/setup.exe ${SETUP_PACK_WINDOWS_PROGRAMS}/unzip32.dll
                  ${SETUP_PACK_WINDOWS_PROGRAMS}/setup-launcher.exe
            DESTINATION share/setup-pack/win32)
    install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION share/doc/setup-pack)
    install(FILES ${PROJECT_SOURCE_DIR}/packer/README.md DESTINATION share/doc/setup-pack RENAME packer-README.md)

    set(CPACK_GENERATOR "DEB;TGZ")
    set(CPACK_STRIP_FILES ON)
    set(CPACK_PACKAGE_FILE_NAME "setup-pack-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # setup-pack_VERSION_ARCH.deb
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "setup-pack developers <maintainers@setup-pack.invalid>")
    set(CPACK_DEBIAN_PACKAGE_SECTION devel)
    set(CPACK_PACKAGE_DESCRIPTION "setup-pack builds a package folder (setup.exe, unzip32.dll, Setup.ini\n\
and the application's archive) from an application folder, checks package\n\
folders for what would go wrong at install time, and makes and signs the\n\
single-file installer. The Windows programs it ships come with it.")
    # The Depends line from the libraries the two files need (dpkg-shlibdeps).
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()

include(CPack)
