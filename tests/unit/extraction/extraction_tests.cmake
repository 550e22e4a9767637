# Places a copy of `library` beside `program` under the unzip library's file
# name, where the program loads it from (its own folder).
function(extraction_library_beside program library)
    if(WIN32)
        set(file_name unzip32.dll)
    else()
        set(file_name libunzip32.so)
    endif()
    get_target_property(folder ${program} RUNTIME_OUTPUT_DIRECTORY)
    if(NOT folder)
        set(folder ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    add_custom_command(OUTPUT ${folder}/${file_name}
        COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${library}> ${folder}/${file_name}
        DEPENDS ${library})
    add_custom_target(${program}_library DEPENDS ${folder}/${file_name})
    add_dependencies(${program} ${program}_library)
endfunction()
