# Fails when a file includes a header of a folder above its own, when a header of a platform
# backend is included outside that backend's folder, when an operating-system header appears
# outside a platform backend (the native Windows window may include Windows' own headers), when
# Qt appears outside the Qt window, or when a tool includes anything of the program but the
# driver SDK header.
# Run as: cmake -DSOURCE_DIR=<repository> -P check_layering.cmake
cmake_minimum_required(VERSION 3.25)

# Each folder of the product and the folders it may include from (its own is always allowed).
# core/ is plain C++ at the bottom; the platform layer may use its text and byte helpers.
set(allowed_core "")
set(allowed_platform "core")
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
        set(backend "")
        if(relative MATCHES "^platform/(posix|win32)/")
            set(backend "${CMAKE_MATCH_1}")
        endif()
        # The native window speaks to Windows directly, as the Qt window speaks Qt; it reaches
        # the platform layer through the neutral headers like every other folder.
        set(os_headers_allowed FALSE)
        if(backend OR relative MATCHES "^window/win32/")
            set(os_headers_allowed TRUE)
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
                if(line MATCHES "#[ \t]*include[ \t]*\"platform/(posix|win32)/")
                    if(NOT backend STREQUAL CMAKE_MATCH_1)
                        list(APPEND faults "${relative}: includes a platform backend header outside its backend")
                    endif()
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
                if(NOT os_headers_allowed AND lower MATCHES "${os_header_pattern}")
                    list(APPEND faults "${relative}: operating-system header <${header}> outside a platform backend")
                endif()
                if(NOT relative MATCHES "^window/qt/" AND header MATCHES "^Q[A-Za-z]*(/|$)")
                    list(APPEND faults "${relative}: Qt header <${header}> outside window/qt/")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

# The simulators and generators check the program from outside: they share no routine with it,
# so that a fault in the program cannot hide behind the same code on the tools' side. Only the
# driver SDK header, the contract the program and the drivers both follow, is common ground.
file(GLOB_RECURSE tool_sources "${SOURCE_DIR}/tools/*.h" "${SOURCE_DIR}/tools/*.cpp")
foreach(source IN LISTS tool_sources)
    file(RELATIVE_PATH relative "${SOURCE_DIR}" "${source}")
    file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
        if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
            set(header "${CMAKE_MATCH_1}")
            if(NOT header MATCHES "^tools/" AND NOT header STREQUAL "sdk/vl_driver.h")
                list(APPEND faults "${relative}: a tool includes ${header} of the program")
            endif()
        endif()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "Layering faults:\n${text}")
endif()
message(STATUS "Layering holds")
