# Fails when a file includes a header of a folder above its own, when an operating-system
# header or a header of a platform backend appears outside a platform backend (the native
# Windows window may include Windows' own headers), or when Qt appears outside the Qt window.
# Run as: cmake -DSOURCE_DIR=<repository> -P check_layering.cmake
cmake_minimum_required(VERSION 3.25)

# Each folder of the product and the folders it may include from (its own is always allowed).
set(allowed_core "")
set(allowed_platform "")
set(allowed_link "core;platform")
set(allowed_convert "core;platform")
set(allowed_media "core;platform;convert")
set(allowed_app "core;platform;link;convert;media")
# The card preview shows what the card reader of media/ finds, so ui/ may take that one
# header; everything else of the subsystems reaches the window through the controller of app/.
set(allowed_ui "core;platform;app;media")
# The windows draw what app/ and ui/ give them; the subsystems stay behind those two.
set(allowed_window "core;platform;app;ui")
set(layers core platform link convert media app ui window)

# Headers of the operating systems; they belong in platform/posix or platform/win32 only.
set(os_header_pattern
    "^(unistd|fcntl|termios|dlfcn|pthread|poll|signal|pwd|dirent|windows|winbase|winreg|io|direct|shlobj|shellapi|commctrl|sys/[a-z_]+|linux/[a-z_]+|arpa/[a-z_]+|netinet/[a-z_]+)\\.h$")

set(faults "")
foreach(layer IN LISTS layers)
    file(GLOB_RECURSE sources "${SOURCE_DIR}/${layer}/*.h" "${SOURCE_DIR}/${layer}/*.cpp")
    foreach(source IN LISTS sources)
        file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
        file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
        set(in_backend FALSE)
        # The native window speaks to Windows directly, as the Qt window speaks Qt.
        if(relative MATCHES "^platform/(posix|win32)/" OR relative MATCHES "^window/win32/")
            set(in_backend TRUE)
        endif()
        foreach(line IN LISTS includes)
            if(line MATCHES "#[ \t]*include[ \t]*\"([a-z0-9_]+)/")
                set(target "${CMAKE_MATCH_1}")
                if(NOT target STREQUAL layer AND NOT target IN_LIST allowed_${layer}
                   AND target IN_LIST layers)
                    list(APPEND faults "${relative}: includes ${target}/ (above ${layer}/)")
                endif()
                # The backends are reached through the neutral headers only, so that the other
                # backend can take their place.
                if(NOT in_backend AND line MATCHES "#[ \t]*include[ \t]*\"platform/(posix|win32)/")
                    list(APPEND faults "${relative}: includes a platform backend header outside a backend")
                endif()
                if(layer STREQUAL "media" AND target STREQUAL "convert"
                   AND NOT line MATCHES "convert/raw_archive_reader\\.h")
                    list(APPEND faults "${relative}: media/ may take only the raw archive reader of convert/")
                endif()
                if(layer STREQUAL "ui" AND target STREQUAL "media"
                   AND NOT line MATCHES "media/preview_model\\.h")
                    list(APPEND faults "${relative}: ui/ may take only the card preview of media/")
                endif()
            elseif(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
                set(header "${CMAKE_MATCH_1}")
                string(TOLOWER "${header}" lower)
                if(NOT in_backend AND lower MATCHES "${os_header_pattern}")
                    list(APPEND faults "${relative}: operating-system header <${header}> outside a platform backend")
                endif()
                if(NOT relative MATCHES "^window/qt/" AND header MATCHES "^Q[A-Za-z]*(/|$)")
                    list(APPEND faults "${relative}: Qt header <${header}> outside window/qt/")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "Layering faults:\n${text}")
endif()
message(STATUS "Layering holds")
