# The desktop application: its classes form the library velora_app, which the program
# (main.cpp alone) and the widget tests link.
find_package(Qt5 REQUIRED COMPONENTS Widgets)

set(velora_app_forms
    ${CMAKE_CURRENT_SOURCE_DIR}/AboutForm.ui
    ${CMAKE_CURRENT_SOURCE_DIR}/ConnectDialog.ui
    ${CMAKE_CURRENT_SOURCE_DIR}/FilterWidget.ui
    ${CMAKE_CURRENT_SOURCE_DIR}/MainWindow.ui
)
add_library(velora_app STATIC
    ${VELORA_INCLUDE_DIR}/AboutDialog.h
    ${VELORA_INCLUDE_DIR}/AcceptanceDialog.h
    ${VELORA_INCLUDE_DIR}/AcceptanceView.h
    ${VELORA_INCLUDE_DIR}/AboutForm.h
    ${VELORA_INCLUDE_DIR}/CaptureFiles.h
    ${VELORA_INCLUDE_DIR}/CellDelegate.h
    ${VELORA_INCLUDE_DIR}/ChangeModel.h
    ${VELORA_INCLUDE_DIR}/ChangesDock.h
    ${VELORA_INCLUDE_DIR}/CommandLine.h
    ${VELORA_INCLUDE_DIR}/ConnectDialog.h
    ${VELORA_INCLUDE_DIR}/DeviceDock.h
    ${VELORA_INCLUDE_DIR}/DockContent.h
    ${VELORA_INCLUDE_DIR}/DeviceMap.h
    ${VELORA_INCLUDE_DIR}/DeviceModel.h
    ${VELORA_INCLUDE_DIR}/DiagnosisDock.h
    ${VELORA_INCLUDE_DIR}/DiagnosisModel.h
    ${VELORA_INCLUDE_DIR}/ErrorBox.h
    ${VELORA_INCLUDE_DIR}/FileNames.h
    ${VELORA_INCLUDE_DIR}/FilterWidget.h
    ${VELORA_INCLUDE_DIR}/FindBar.h
    ${VELORA_INCLUDE_DIR}/FrameDetail.h
    ${VELORA_INCLUDE_DIR}/FrameFeed.h
    ${VELORA_INCLUDE_DIR}/HandOverDialog.h
    ${VELORA_INCLUDE_DIR}/LineHealth.h
    ${VELORA_INCLUDE_DIR}/LogExport.h
    ${VELORA_INCLUDE_DIR}/LogSelection.h
    ${VELORA_INCLUDE_DIR}/LogViewWidget.h
    ${VELORA_INCLUDE_DIR}/MainWindow.h
    ${VELORA_INCLUDE_DIR}/ProgressSlices.h
    ${VELORA_INCLUDE_DIR}/RecentFiles.h
    ${VELORA_INCLUDE_DIR}/SessionModel.h
    ${VELORA_INCLUDE_DIR}/WalkMarks.h
    ${VELORA_INCLUDE_DIR}/WalkTestDock.h
    ${VELORA_INCLUDE_DIR}/WalkTestModel.h
    ${CMAKE_CURRENT_SOURCE_DIR}/AboutDialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/AcceptanceDialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/AcceptanceView.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/AboutForm.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/CaptureFiles.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/CellDelegate.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ChangeModel.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ChangesDock.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/CommandLine.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ConnectDialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/DeviceDock.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/DockContent.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/DeviceMap.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/DeviceModel.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/DiagnosisDock.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/DiagnosisModel.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ErrorBox.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FileNames.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FilterWidget.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FindBar.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FrameDetail.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/FrameFeed.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/HandOverDialog.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/LineHealth.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/LogExport.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/LogSelection.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/LogViewWidget.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MainWindow.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ProgressSlices.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/RecentFiles.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SessionModel.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/WalkMarks.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/WalkTestDock.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/WalkTestModel.cpp
    ${velora_app_forms}
)
set_target_properties(velora_app PROPERTIES AUTOMOC ON AUTOUIC ON)
target_include_directories(velora_app PUBLIC ${VELORA_INCLUDE_DIR})
target_compile_definitions(velora_app PRIVATE VELORA_VERSION="${PROJECT_VERSION}")
target_link_libraries(velora_app PUBLIC velora_session velora_events velora_capture velora_report
                      velora_listener rs485 velora_cli Qt5::Widgets)

# The icons. An object library, so that every program that links velora_app gets the
# resources registered at start-up (a static archive would drop their initialiser).
add_library(velora_app_resources OBJECT ${CMAKE_CURRENT_SOURCE_DIR}/resources.qrc)
set_target_properties(velora_app_resources PROPERTIES AUTORCC ON)
target_link_libraries(velora_app_resources PRIVATE Qt5::Core)
target_sources(velora_app INTERFACE $<TARGET_OBJECTS:velora_app_resources>)

add_executable(velora-debugger ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
target_link_libraries(velora-debugger PRIVATE velora_app)
if(WIN32)
    set_target_properties(velora-debugger PROPERTIES WIN32_EXECUTABLE ON)
endif()

# Files next to the program: Qt's Russian translation (optional at run time) and the two
# licence texts that the About dialog links.
if(CMAKE_CROSSCOMPILING)
    # The translations are the same on every platform: the build machine's own.
    set(velora_qt_translations /usr/share/qt5/translations)
else()
    get_target_property(velora_qmake Qt5::qmake IMPORTED_LOCATION)
    execute_process(COMMAND ${velora_qmake} -query QT_INSTALL_TRANSLATIONS
                    OUTPUT_VARIABLE velora_qt_translations OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()
set(velora_copy_commands
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/License.txt
            $<TARGET_FILE_DIR:velora-debugger>/License.txt)
if(EXISTS ${velora_qt_translations}/qtbase_ru.qm)
    list(APPEND velora_copy_commands
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${velora_qt_translations}/qtbase_ru.qm
                $<TARGET_FILE_DIR:velora-debugger>/qtbase_ru.qm)
else()
    message(WARNING "qtbase_ru.qm not found in ${velora_qt_translations} (qttranslations5-l10n)")
endif()
if(EXISTS /usr/share/common-licenses/LGPL-3)
    list(APPEND velora_copy_commands
        COMMAND ${CMAKE_COMMAND} -E copy_if_different /usr/share/common-licenses/LGPL-3
                $<TARGET_FILE_DIR:velora-debugger>/LGPL.txt)
else()
    message(WARNING "/usr/share/common-licenses/LGPL-3 not found: LGPL.txt is not placed")
endif()
add_custom_command(TARGET velora-debugger POST_BUILD ${velora_copy_commands} VERBATIM)

# The user guide beside the program: the README's section on it, as HTML. A cross build runs
# the generator through its emulator (Wine).
set(velora_user_guide_dir ${CMAKE_CURRENT_BINARY_DIR})
if(CMAKE_RUNTIME_OUTPUT_DIRECTORY)
    set(velora_user_guide_dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
endif()
add_executable(velora-user-guide ${CMAKE_CURRENT_SOURCE_DIR}/guide/main.cpp)
target_link_libraries(velora-user-guide PRIVATE Qt5::Gui)
add_custom_command(
    OUTPUT ${velora_user_guide_dir}/user-guide.html
    COMMAND velora-user-guide ${PROJECT_SOURCE_DIR}/README.md
            ${velora_user_guide_dir}/user-guide.html
    DEPENDS velora-user-guide ${PROJECT_SOURCE_DIR}/README.md VERBATIM)
add_custom_target(velora_user_guide ALL DEPENDS ${velora_user_guide_dir}/user-guide.html)
add_dependencies(velora-debugger velora_user_guide)
