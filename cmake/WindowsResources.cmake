# The icon, the version and the manifest (Windows 10 and 11, per-monitor DPI, UTF-8 as the
# ANSI code page, common controls 6) of each Windows program. The icon is rendered from the
# application's SVG pictures when the tree is configured: the 16-pixel design for 16, the
# logo for the larger sizes.
find_program(VELORA_RSVG_CONVERT rsvg-convert REQUIRED)
find_program(VELORA_ICOTOOL icotool REQUIRED)
set(VELORA_ICO ${CMAKE_BINARY_DIR}/windows/velora-debugger.ico)
set(VELORA_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/windows/velora-debugger.manifest)
set(pngs)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/windows)
foreach(size 16 32 48 256)
    if(size EQUAL 16)
        set(svg ${PROJECT_SOURCE_DIR}/Src/resources/svg/appIcon16x16.svg)
    else()
        set(svg ${PROJECT_SOURCE_DIR}/Src/resources/svg/Logo.svg)
    endif()
    set(png ${CMAKE_BINARY_DIR}/windows/icon-${size}.png)
    execute_process(COMMAND ${VELORA_RSVG_CONVERT} --width=${size} --height=${size}
                            --output=${png} ${svg} COMMAND_ERROR_IS_FATAL ANY)
    list(APPEND pngs ${png})
endforeach()
execute_process(COMMAND ${VELORA_ICOTOOL} -c -o ${VELORA_ICO} ${pngs} COMMAND_ERROR_IS_FATAL ANY)

foreach(entry "velora-debugger:Velora line debugger"
              "velora-sniff:Velora line decoder for the command line"
              "velora-sim:Velora line simulator"
              "velora-config:Velora panel configuration checker")
    string(REPLACE ":" ";" entry "${entry}")
    list(GET entry 0 VELORA_PROGRAM)
    list(GET entry 1 VELORA_DESCRIPTION)
    set(rc ${CMAKE_BINARY_DIR}/windows/${VELORA_PROGRAM}.rc)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc} @ONLY)
    target_sources(${VELORA_PROGRAM} PRIVATE ${rc})
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${VELORA_ICO};${VELORA_MANIFEST}")
endforeach()
