# The Windows executable's own resources: its icon (rendered from the SVG at the sizes
# Explorer and the task bar ask for) and its version information. Nothing elsewhere.
function(orvane_windows_resources target)
    if(NOT WIN32)
        return()
    endif()
    find_program(ORVANE_RSVG_CONVERT rsvg-convert REQUIRED)
    find_program(ORVANE_ICOTOOL icotool REQUIRED)
    set(svg ${PROJECT_SOURCE_DIR}/resources/icons/AppIcon.svg)
    set(ico ${CMAKE_CURRENT_BINARY_DIR}/orvane.ico)
    set(pngs "")
    foreach(size 16 20 24 32 40 48 64 128 256)
        set(png ${CMAKE_CURRENT_BINARY_DIR}/appicon-${size}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${ORVANE_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${svg}
            DEPENDS ${svg})
        list(APPEND pngs ${png})
    endforeach()
    add_custom_command(OUTPUT ${ico}
        COMMAND ${ORVANE_ICOTOOL} -c -o ${ico} ${pngs}
        DEPENDS ${pngs}
        COMMENT "Making the program's Windows icon")
    set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
    set(ORVANE_ICON_FILE ${ico})
    configure_file(${PROJECT_SOURCE_DIR}/cmake/windows.rc.in ${rc} @ONLY)
    set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ico})
    target_sources(${target} PRIVATE ${rc})
endfunction()
