# The desktop entry and the program's icon in the hicolor theme, rendered from the
# application's SVG pictures at build time: the 16-pixel design for the small sizes,
# the logo for the larger ones and as the scalable icon.
set(VELORA_ICON_NAME velora-debugger)
set(VELORA_SMALL_ICON_SVG ${PROJECT_SOURCE_DIR}/Src/resources/svg/appIcon16x16.svg)
set(VELORA_LOGO_SVG ${PROJECT_SOURCE_DIR}/Src/resources/svg/Logo.svg)
set(VELORA_SMALL_ICON_SIZES 16 22 24)
set(VELORA_LARGE_ICON_SIZES 32 48 64 128 256)

install(FILES ${PROJECT_SOURCE_DIR}/packaging/velora-debugger.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(icon_theme_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${VELORA_LOGO_SVG} DESTINATION ${icon_theme_dir}/scalable/apps
        RENAME ${VELORA_ICON_NAME}.svg)

find_program(VELORA_RSVG_CONVERT rsvg-convert)
if(NOT VELORA_RSVG_CONVERT)
    message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon is installed")
    return()
endif()

set(icon_pngs)
foreach(size ${VELORA_SMALL_ICON_SIZES} ${VELORA_LARGE_ICON_SIZES})
    if(size IN_LIST VELORA_SMALL_ICON_SIZES)
        set(svg ${VELORA_SMALL_ICON_SVG})
    else()
        set(svg ${VELORA_LOGO_SVG})
    endif()
    set(png_dir ${CMAKE_BINARY_DIR}/icons/${size}x${size})
    set(png ${png_dir}/${VELORA_ICON_NAME}.png)
    add_custom_command(
        OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${png_dir}
        COMMAND ${VELORA_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${svg}
        DEPENDS ${svg}
        VERBATIM)
    list(APPEND icon_pngs ${png})
    install(FILES ${png} DESTINATION ${icon_theme_dir}/${size}x${size}/apps)
endforeach()
add_custom_target(velora-debugger-icons ALL DEPENDS ${icon_pngs})
