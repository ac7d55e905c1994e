# Install rules. The desktop program looks for qtbase_ru.qm, License.txt, LGPL.txt and
# user-guide.html in its own directory, so it lives with them in a private directory; bin/
# holds a relative symbolic link to it (Qt resolves the link when it reports the program's
# directory).
# The command-line tools go straight into bin/. This layout is for Linux and its packages.

include(GNUInstallDirs)
# What is not marked otherwise goes into the package velora-debugger; the Wireshark plugin and
# extcap program are the component "wireshark" (wireshark/CMakeLists.txt).
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME main)
set(VELORA_INSTALL_PRIVATEDIR lib/velora-debugger
    CACHE STRING "Directory, relative to the prefix, of the desktop program and its files")

install(TARGETS velora-debugger RUNTIME DESTINATION ${VELORA_INSTALL_PRIVATEDIR})
# The build puts these beside the program; what it placed there is what is installed.
install(FILES $<TARGET_FILE_DIR:velora-debugger>/qtbase_ru.qm
              $<TARGET_FILE_DIR:velora-debugger>/License.txt
              $<TARGET_FILE_DIR:velora-debugger>/LGPL.txt
              $<TARGET_FILE_DIR:velora-debugger>/user-guide.html
        DESTINATION ${VELORA_INSTALL_PRIVATEDIR})

file(RELATIVE_PATH velora_link_target /prefix/${CMAKE_INSTALL_BINDIR}
     /prefix/${VELORA_INSTALL_PRIVATEDIR}/velora-debugger)
set(velora_link ${CMAKE_BINARY_DIR}/bin-link/velora-debugger)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/bin-link)
file(CREATE_LINK ${velora_link_target} ${velora_link} SYMBOLIC)
install(FILES ${velora_link} DESTINATION ${CMAKE_INSTALL_BINDIR})

set(velora_tools velora-sniff velora-sim velora-config)
install(TARGETS ${velora_tools} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The service that watches a line for days; systemd reads /usr/lib/systemd/system too.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/systemd/velora-sniff@.service
        DESTINATION lib/systemd/system)

include(DesktopEntry)
include(ManPages)
foreach(tool ${velora_tools})
    velora_add_man_page(${tool})
endforeach()

# Debian's documentation directory: the licence as the copyright file, and the package's
# change log (its newest entry carries the package version).
set(velora_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/velora-debugger)
install(FILES ${PROJECT_SOURCE_DIR}/License.txt DESTINATION ${velora_doc_dir} RENAME copyright)
if(VELORA_GZIP)
    set(changelog ${CMAKE_BINARY_DIR}/doc/changelog.Debian)
    add_custom_command(
        OUTPUT ${changelog}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian
                ${changelog}
        COMMAND ${VELORA_GZIP} -9 -n -f ${changelog}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog.Debian
        VERBATIM)
    add_custom_target(velora-debugger-changelog ALL DEPENDS ${changelog}.gz)
    install(FILES ${changelog}.gz DESTINATION ${velora_doc_dir})
endif()
