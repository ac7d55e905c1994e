# Read by CPack once per generator: the installer is "<name>-setup.exe", the zip "<name>.zip".
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
