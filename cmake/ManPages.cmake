# Manual pages of the command-line tools, made from their --help at build time.
# velora_add_man_page(<target>) renders ${CMAKE_BINARY_DIR}/man/<target>.1.gz and installs
# it into section 1. packaging/man/<target>.h2m gives the NAME line and the cross references
# (help2man would garble a non-ASCII --name).
find_program(VELORA_HELP2MAN help2man)
find_program(VELORA_GZIP gzip)
if(NOT VELORA_HELP2MAN OR NOT VELORA_GZIP)
    message(WARNING "help2man or gzip not found: the command-line tools get no manual pages")
endif()

set(VELORA_MAN_DIR ${CMAKE_BINARY_DIR}/man)

function(velora_add_man_page target)
    if(NOT VELORA_HELP2MAN OR NOT VELORA_GZIP OR CMAKE_CROSSCOMPILING)
        return()
    endif()
    set(page ${VELORA_MAN_DIR}/${target}.1)
    set(include_file ${PROJECT_SOURCE_DIR}/packaging/man/${target}.h2m)
    # The help texts are UTF-8; help2man reads them as such only in a UTF-8 locale of its
    # own. The project's version goes into the page's footer.
    add_custom_command(
        OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VELORA_MAN_DIR}
        COMMAND ${VELORA_HELP2MAN} --no-info --locale=C.UTF-8
                --version-string=${PROJECT_VERSION} --include=${include_file}
                --output=${page} $<TARGET_FILE:${target}>
        COMMAND ${VELORA_GZIP} -9 -n -f ${page}
        DEPENDS ${target} ${include_file}
        COMMENT "Manual page of ${target}"
        VERBATIM)
    add_custom_target(${target}-man-page ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
