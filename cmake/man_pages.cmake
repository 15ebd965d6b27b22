# Manual pages are installed into share/man/man1 compressed, as Debian keeps
# them; -n keeps the time out of the file, so the same page gives the same
# bytes.
find_program(FENNOX_GZIP gzip REQUIRED)

# fennox_install_man_pages(TARGET_NAME page.1 ...): pages relative to the
# calling folder.
function(fennox_install_man_pages target)
    set(outputs)
    foreach(page IN LISTS ARGN)
        get_filename_component(name ${page} NAME)
        set(output ${CMAKE_BINARY_DIR}/man/${name}.gz)
        add_custom_command(OUTPUT ${output}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND sh -c "\"$0\" -9 -n -c \"$1\" >\"$2\"" ${FENNOX_GZIP}
                ${CMAKE_CURRENT_SOURCE_DIR}/${page} ${output}
            DEPENDS ${page}
            VERBATIM)
        list(APPEND outputs ${output})
    endforeach()
    add_custom_target(${target} ALL DEPENDS ${outputs})
    install(FILES ${outputs} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
