# The Windows packages, both named with the version:
#   VeloraDebugger-<version>-win64.zip        the install folder as it is, to run from anywhere
#   VeloraDebugger-<version>-win64-setup.exe  an installer made by NSIS (makensis)
# cd build-mingw && cpack     (scripts/build-windows makes both)
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_NAME VeloraDebugger)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "VeloraDebugger developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "RS-485 line monitor and decoder for the Velora alarm system")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/License.txt)
set(CPACK_PACKAGE_FILE_NAME VeloraDebugger-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY VeloraDebugger)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY VeloraDebugger)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES ON)
# The generator's own file name; the installer adds "-setup".
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackWindowsNames.cmake)

set(CPACK_NSIS_PACKAGE_NAME "Отладчик «Velora»")
set(CPACK_NSIS_DISPLAY_NAME "Отладчик «Velora» ${PROJECT_VERSION}")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_PACKAGE_EXECUTABLES velora-debugger "Отладчик «Velora»")
# The programs are at the top of the folder, not in bin\.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME velora-debugger.exe)
set(CPACK_NSIS_MUI_ICON ${VELORA_ICO})
set(CPACK_NSIS_MUI_UNIICON ${VELORA_ICO})
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_UNINSTALL_NAME uninstall)

# CPack's installer template is for 32-bit targets, and a 32-bit installer cannot put 64-bit
# programs into "Program Files": the same template, made for amd64, goes first on CPack's
# module path.
set(template ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in)
file(READ ${template} text)
string(FIND "${text}" "\n" first_line_end)
string(SUBSTRING "${text}" 0 ${first_line_end} first_line)
string(SUBSTRING "${text}" ${first_line_end} -1 rest)
file(WRITE ${CMAKE_BINARY_DIR}/nsis/NSIS.template.in
     "${first_line}\nTarget amd64-unicode${rest}")
set(CPACK_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis)

include(CPack)
