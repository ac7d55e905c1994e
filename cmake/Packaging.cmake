# Debian packages: velora-debugger, the desktop program and the command-line tools, and, when
# Wireshark's development files were found, velora-debugger-wireshark, the Wireshark plugin
# and extcap program:
#   cmake --build build --target package     (or: cd build && cpack -G DEB)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velora-debugger)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VeloraDebugger developers")
set(CPACK_PACKAGE_CONTACT "VeloraDebugger developers <maintainers@veloradebugger.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "RS-485 line monitor and decoder for the Velora alarm system")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/License.txt)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The package ships Qt's Russian translation beside the program (taken from
# qttranslations5-l10n at build time), so that package is not needed at run time.
# The summary is the control file's synopsis line; this is the text below it.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL main)
set(CPACK_DEBIAN_MAIN_PACKAGE_NAME velora-debugger)
set(CPACK_DEBIAN_MAIN_DESCRIPTION
    "Velora Debugger listens to the RS-485 line of the Velora alarm system through a
USB-RS485 converter (it never transmits), cuts the byte stream into frames and
decodes polls, answers and commands into a live, filterable log in Russian.
It is meant for commissioning and troubleshooting installations.

The package also holds three command-line tools: velora-sniff, the same decoder
on a terminal, live or from a recording; velora-sim, a generator of the line's
byte stream for testing receivers; velora-config, a checker of the control
panel's configuration files.")


if(TARGET velora_wireshark)
    list(APPEND CPACK_COMPONENTS_ALL wireshark)
    set(CPACK_DEBIAN_WIRESHARK_PACKAGE_NAME velora-debugger-wireshark)
    set(CPACK_DEBIAN_WIRESHARK_PACKAGE_SECTION net)
    # A plugin loads only into the Wireshark major.minor it was built for.
    string(REGEX MATCH "^([0-9]+)\\.([0-9]+)" _ ${VELORA_WIRESHARK_VERSION})
    math(EXPR next_minor "${CMAKE_MATCH_2} + 1")
    set(CPACK_DEBIAN_WIRESHARK_PACKAGE_DEPENDS
        "wireshark-common (>= ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}), wireshark-common (<< ${CMAKE_MATCH_1}.${next_minor})")
    set(CPACK_DEBIAN_WIRESHARK_DESCRIPTION
        "Wireshark and tshark decode captures of the Velora alarm system's RS-485
line (pcap files of link type USER0 written by velora-sniff and Velora
Debugger) with the texts of Velora Debugger's log, fields for display filters
(velora.type, velora.address, velora.text, answer and command flags), and
capture live from a USB-RS485 converter through the extcap program
velora-extcap (interface \"Velora RS-485\").")
endif()

include(CPack)
