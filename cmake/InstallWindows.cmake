# The Windows layout: one folder, as the portable zip and the installer ship it, and as the
# build tree's bin/ holds it so that the programs and tests run from there under Wine. The
# programs; Qt's DLLs with the platform and style plugins they load (replaceable, as Qt's
# LGPL expects); the C++ runtime's DLLs; Qt's Russian translation in translations/; the
# licence texts and a short README.
set(bin ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})

# The runtime of the compiler that built Qt and the programs, stripped of its debugging
# information (libstdc++ shrinks from 24 MB to 2 MB).
set(runtime_dlls)
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
        message(FATAL_ERROR "${dll} of ${CMAKE_CXX_COMPILER} not found")
    endif()
    add_custom_command(
        OUTPUT ${bin}/${dll}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}
        COMMAND ${CMAKE_STRIP} --strip-unneeded -o ${bin}/${dll} ${path}
        DEPENDS ${path}
        VERBATIM)
    list(APPEND runtime_dlls ${bin}/${dll})
endforeach()
add_custom_target(velora-runtime-dlls ALL DEPENDS ${runtime_dlls})
install(FILES ${runtime_dlls} DESTINATION .)

# Qt beside the programs: Test and the offscreen platform only for the tests.
set(copies)
foreach(target Qt5::Core Qt5::Gui Qt5::Widgets Qt5::Test)
    list(APPEND copies COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${bin})
endforeach()
foreach(plugin platforms:QWindowsIntegrationPlugin platforms:QOffscreenIntegrationPlugin
               styles:QWindowsVistaStylePlugin)
    string(REPLACE ":" ";" plugin ${plugin})
    list(GET plugin 0 folder)
    list(GET plugin 1 name)
    list(APPEND copies
         COMMAND ${CMAKE_COMMAND} -E make_directory ${bin}/${folder}
         COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:Qt5::${name}> ${bin}/${folder})
endforeach()
add_custom_target(velora-qt-dlls ALL ${copies} VERBATIM)
# The user guide's generator runs from bin/ at build time.
add_dependencies(velora_user_guide velora-qt-dlls velora-runtime-dlls)

install(TARGETS velora-debugger velora-sniff velora-sim velora-config RUNTIME DESTINATION .)
foreach(module Core Gui Widgets)
    install(FILES $<TARGET_FILE:Qt5::${module}> DESTINATION .)
endforeach()
install(FILES $<TARGET_FILE:Qt5::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt5::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES ${bin}/qtbase_ru.qm DESTINATION translations)
install(FILES ${bin}/License.txt ${bin}/LGPL.txt ${bin}/user-guide.html
              ${PROJECT_SOURCE_DIR}/packaging/windows/README.txt
              ${PROJECT_SOURCE_DIR}/packaging/windows/qt.conf
        DESTINATION .)
