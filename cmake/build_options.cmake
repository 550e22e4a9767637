# installer_build_options: the warnings, hardening and sanitizers that our own
# targets are built with. Code from elsewhere (GoogleTest) keeps its own
# options; installer_apply_build_options gives these to every compiled target
# below our source folder, so new targets get them without asking.

add_library(installer_build_options INTERFACE)
target_compile_options(installer_build_options INTERFACE -Wall -Wextra)

if(WIN32)
    # Every program is static, tests included: under Wine nothing but system
    # DLLs need be found.
    target_link_options(installer_build_options INTERFACE -static -static-libgcc -static-libstdc++)
    # Address-space randomisation and no execution from data pages. The stack
    # protector is left out: it takes 7.5 of the 10 KiB the shipped pair has
    # left under its size limit, and makes unzip32.dll import advapi32.dll.
    target_link_options(installer_build_options INTERFACE -Wl,--dynamicbase -Wl,--nxcompat)
    # No link time in the header (TimeDateStamp 0): two builds of one commit
    # give the same bytes. The loader needs it only for bound imports, which
    # none of our programs has.
    target_link_options(installer_build_options INTERFACE -Wl,--no-insert-timestamp)
    if(CMAKE_BUILD_TYPE STREQUAL "MinSizeRel")
        # Fat objects: the shipped binaries link with whole-program
        # optimisation (installer_lean), everything else links as usual.
        target_compile_options(installer_build_options INTERFACE
            -ffunction-sections -fdata-sections -flto -ffat-lto-objects)
        target_link_options(installer_build_options INTERFACE
            "$<IF:$<BOOL:$<TARGET_PROPERTY:INSTALLER_LEAN>>,-flto;-flto-partition=one;-Os,-fno-lto>"
            -Wl,--gc-sections -s)
    endif()
else()
    target_compile_options(installer_build_options INTERFACE -fstack-protector-strong -fstack-clash-protection)
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|i.86)$")
        target_compile_options(installer_build_options INTERFACE -fcf-protection)
    endif()
    target_link_options(installer_build_options INTERFACE -Wl,-z,relro -Wl,-z,now -Wl,-z,noexecstack)
    if(INSTALLER_SANITIZE)
        target_compile_options(installer_build_options INTERFACE
            -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
        target_link_options(installer_build_options INTERFACE -fsanitize=address,undefined)
    elseif(INSTALLER_TSAN)
        target_compile_options(installer_build_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
        target_link_options(installer_build_options INTERFACE -fsanitize=thread)
    elseif(NOT CMAKE_BUILD_TYPE STREQUAL "Debug")
        # Checked string and memory calls need optimisation, and the
        # sanitizers check the same calls their own way.
        target_compile_options(installer_build_options INTERFACE -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2)
    endif()
endif()

# installer_lean(TARGET): a binary that packagers ship (setup.exe, unzip32.dll,
# the launcher), made as small as it goes in a Windows release tree: small
# stand-ins for the runtime's terminate handler and exception helpers.
function(installer_lean target)
    set_target_properties(${target} PROPERTIES INSTALLER_LEAN ON)
    if(WIN32 AND CMAKE_BUILD_TYPE STREQUAL "MinSizeRel")
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/common/lean_terminate.cpp
                                         ${PROJECT_SOURCE_DIR}/common/lean_exceptions.cpp)
    endif()
endfunction()

# installer_one_thread(TARGET): a Windows program that never starts a thread
# links without the threads library (common/one_thread.cpp answers the
# runtime's calls into it); one that tried would not link.
function(installer_one_thread target)
    if(WIN32)
        target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/common/one_thread.cpp)
        target_link_options(${target} PRIVATE -no-pthread)
    endif()
endfunction()

# installer_apply_build_options(DIR): links installer_build_options into every
# compiled target of DIR and of its subfolders that lie inside our sources.
function(installer_apply_build_options directory)
    get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target ${targets})
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
            # The property rather than target_link_libraries: the options stay
            # the target's own instead of travelling on to what links it.
            set_property(TARGET ${target} APPEND PROPERTY LINK_LIBRARIES installer_build_options)
        endif()
    endforeach()
    get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
    foreach(subdirectory ${subdirectories})
        cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${subdirectory}" NORMALIZE ours)
        if(ours)
            installer_apply_build_options(${subdirectory})
        endif()
    endforeach()
endfunction()
