# Declares the desktop application the way each platform expects it: an
# application bundle on macOS, a GUI (not console) executable on Windows.
# These paths cannot be built on the Linux machines the project is tested on,
# so they stay small and conventional.
set(MOUTHKEY_MACOS_SIGNING_IDENTITY "-" CACHE STRING
    "codesign identity for the macOS bundle; '-' signs ad hoc")

function(mouthkey_declare_gui_app target)
    set_target_properties(${target} PROPERTIES
        WIN32_EXECUTABLE ON
        MACOSX_BUNDLE ON
        MACOSX_BUNDLE_BUNDLE_NAME Mouthkey
        MACOSX_BUNDLE_GUI_IDENTIFIER ${MOUTHKEY_APP_ID}
        MACOSX_BUNDLE_BUNDLE_VERSION "${PROJECT_VERSION}"
        MACOSX_BUNDLE_SHORT_VERSION_STRING "${PROJECT_VERSION}"
        MACOSX_BUNDLE_COPYRIGHT "MIT licence"
        MACOSX_BUNDLE_ICON_FILE mouthkey.icns)

    if(APPLE)
        set(entitlements "${PROJECT_SOURCE_DIR}/packaging/macos/Mouthkey.entitlements")
        set(iconset "${CMAKE_CURRENT_BINARY_DIR}/mouthkey.iconset")
        set(icns "${CMAKE_CURRENT_BINARY_DIR}/mouthkey.icns")
        set(render_commands)
        foreach(size IN ITEMS 16 32 128 256 512)
            math(EXPR double "${size} * 2")
            list(APPEND render_commands
                COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:render-icon>
                        "${MOUTHKEY_ICON_SVG}" "${iconset}/icon_${size}x${size}.png" ${size}
                COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:render-icon>
                        "${MOUTHKEY_ICON_SVG}" "${iconset}/icon_${size}x${size}@2x.png" ${double})
        endforeach()
        add_custom_command(OUTPUT "${icns}"
            COMMAND ${CMAKE_COMMAND} -E make_directory "${iconset}"
            ${render_commands}
            COMMAND iconutil -c icns -o "${icns}" "${iconset}"
            DEPENDS render-icon "${MOUTHKEY_ICON_SVG}"
            VERBATIM)
        target_sources(${target} PRIVATE "${icns}")
        set_source_files_properties("${icns}" PROPERTIES MACOSX_PACKAGE_LOCATION Resources)

        # The sandbox with read-only access to the files the user picks.
        set_target_properties(${target} PROPERTIES
            XCODE_ATTRIBUTE_CODE_SIGN_ENTITLEMENTS "${entitlements}")
        if(NOT CMAKE_GENERATOR STREQUAL "Xcode")
            add_custom_command(TARGET ${target} POST_BUILD
                COMMAND codesign --force --sign "${MOUTHKEY_MACOS_SIGNING_IDENTITY}"
                        --entitlements "${entitlements}" "$<TARGET_BUNDLE_DIR:${target}>"
                VERBATIM)
        endif()
    endif()
endfunction()
