# Delay-loaded system libraries for setup.exe.
#
# Windows resolves a program's imports before its first instruction runs, and
# searches the program's own folder for them (and for what they import in
# turn) before the system folder. setup.exe therefore imports nothing but
# kernel32 and the C runtime directly; every other system library is bound
# on its first call, which comes after the program restricted its library
# search to the system folder.
#
# For each library a delay-import library named like the ordinary import
# library is made from the latter's symbols; put first on the library path,
# it takes the ordinary one's place for this target only. dlltool names its
# symbols after the output path it is given, so it runs in the folder and is
# given bare names: the program's bytes then do not depend on where the
# checkout is.

find_program(INSTALLER_NM NAMES ${CMAKE_NM} i686-w64-mingw32-nm REQUIRED)
find_program(INSTALLER_DLLTOOL NAMES ${CMAKE_DLLTOOL} i686-w64-mingw32-dlltool REQUIRED)

# installer_delay_load(TARGET lib...): TARGET binds each lib on first use.
function(installer_delay_load target)
    set(dir ${CMAKE_CURRENT_BINARY_DIR}/delay_load)
    file(MAKE_DIRECTORY ${dir})
    set(outputs)
    foreach(name ${ARGN})
        find_library(import_${name} NAMES ${name} REQUIRED NO_CACHE)
        execute_process(COMMAND ${INSTALLER_NM} -g --defined-only ${import_${name}}
                        OUTPUT_VARIABLE symbols ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
        # "00000000 I __imp__MessageBoxW@16" -> "MessageBoxW@16"
        string(REGEX MATCHALL "I __imp__[^\n]+" entries "${symbols}")
        set(def "LIBRARY ${name}.dll\nEXPORTS\n")
        foreach(entry ${entries})
            string(REGEX REPLACE "^I __imp__" "" entry "${entry}")
            string(APPEND def "${entry}\n")
        endforeach()
        file(CONFIGURE OUTPUT ${dir}/${name}.def CONTENT "${def}" @ONLY)
        add_custom_command(
            OUTPUT ${dir}/lib${name}.a
            COMMAND ${INSTALLER_DLLTOOL} --input-def ${name}.def --dllname ${name}.dll
                    --kill-at --output-delaylib lib${name}.a
            WORKING_DIRECTORY ${dir}
            DEPENDS ${dir}/${name}.def
            COMMENT "Delay-import library for ${name}.dll")
        list(APPEND outputs ${dir}/lib${name}.a)
    endforeach()
    add_custom_target(${target}_delay_load DEPENDS ${outputs})
    add_dependencies(${target} ${target}_delay_load)
    # The linker lays out the import section in the order of the import
    # libraries' file names as it was given them, so an absolute folder here
    # would make the program's bytes depend on where the build tree is (one
    # under /tmp sorts before the toolchain's /usr, one under /work after).
    # A folder relative to where the link runs always sorts after them.
    if(CMAKE_GENERATOR MATCHES "Ninja")
        file(RELATIVE_PATH link_dir ${CMAKE_BINARY_DIR} ${dir})
    else()
        file(RELATIVE_PATH link_dir ${CMAKE_CURRENT_BINARY_DIR} ${dir})
    endif()
    target_link_options(${target} BEFORE PRIVATE -L${link_dir})
    # The helper that binds a delayed import on its first call.
    target_link_libraries(${target} PRIVATE delayimp)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${outputs})
endfunction()
