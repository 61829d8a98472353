# What a Windows user and a driver author get, in the build folder:
#   zepimport-<version>-x64.msi  the Windows Installer package of zepimport.exe (target msi)
#   zepimport-<version>-sdk.zip  the driver header, the sample drivers' sources and DLLs and the
#                                driver contract (target sdk_zip)
# The package is made by wixl and msibuild (Debian's wixl and msitools) from
# resources/zepimport.wxs; without them the target msi is missing.
find_program(ZEP_WIXL wixl)
find_program(ZEP_MSIBUILD msibuild)

# A package of the built zepimport.exe that carries the given product version.
function(zep_msi_package target version output)
    set(_source ${CMAKE_SOURCE_DIR}/resources/zepimport.wxs)
    set(_icon ${CMAKE_SOURCE_DIR}/window/win32/res/zepimport.ico)
    set(_script ${CMAKE_SOURCE_DIR}/cmake/msi-package.cmake)
    add_custom_command(
        OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DWIXL=${ZEP_WIXL} -DMSIBUILD=${ZEP_MSIBUILD} -DSOURCE=${_source}
                -DVERSION=${version} -DPROGRAM=$<TARGET_FILE:zepimport> -DICON=${_icon}
                -DOUTPUT=${output} -P ${_script}
        DEPENDS zepimport ${_source} ${_icon} ${_script}
        COMMENT "Windows Installer package ${output}"
        VERBATIM)
    add_custom_target(${target} DEPENDS ${output})
endfunction()

if(ZEP_WIXL AND ZEP_MSIBUILD)
    zep_msi_package(msi ${ZEP_PRODUCT_VERSION}
                    ${CMAKE_BINARY_DIR}/zepimport-${ZEP_PRODUCT_VERSION}-x64.msi)
    # The same program as the version before this one (the patch one lower: 1.9.0 before
    # 1.10.0), for the upgrade test of scripts/windows-install.sh.
    if(PROJECT_VERSION_PATCH GREATER 0)
        math(EXPR _older_patch "${PROJECT_VERSION_PATCH} - 1")
        set(ZEP_OLDER_PRODUCT_VERSION ${PROJECT_VERSION_MINOR}.${_older_patch}.0)
    else()
        set(ZEP_OLDER_PRODUCT_VERSION 0.0.1)
    endif()
    zep_msi_package(msi_older ${ZEP_OLDER_PRODUCT_VERSION}
                    ${CMAKE_BINARY_DIR}/test-packages/zepimport-${ZEP_OLDER_PRODUCT_VERSION}-x64.msi)
endif()

# The SDK: paths inside the zip are those of the repository, so the samples' includes
# ("sdk/vl_driver.h") resolve from its top folder; the built sample DLLs are in bin/.
set(_sdk_name zepimport-${ZEP_PRODUCT_VERSION}-sdk)
set(_sdk_stage ${CMAKE_BINARY_DIR}/sdk-stage)
set(_sdk_zip ${CMAKE_BINARY_DIR}/${_sdk_name}.zip)
set(_sdk_sources sdk/vl_driver.h drivers/m1/m1_driver.cpp drivers/m1/reading_format.h
                 drivers/m1/record_call.h drivers/kolvar/kolvar_driver.cpp docs/drivers.md)
set(_sdk_commands COMMAND ${CMAKE_COMMAND} -E rm -rf ${_sdk_stage})
set(_sdk_depends vl_m1 vl_kolvar)
foreach(_file IN LISTS _sdk_sources)
    get_filename_component(_folder ${_sdk_stage}/${_sdk_name}/${_file} DIRECTORY)
    list(APPEND _sdk_commands COMMAND ${CMAKE_COMMAND} -E make_directory ${_folder}
         COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${_file} ${_folder})
    list(APPEND _sdk_depends ${CMAKE_SOURCE_DIR}/${_file})
endforeach()
list(APPEND _sdk_commands COMMAND ${CMAKE_COMMAND} -E make_directory ${_sdk_stage}/${_sdk_name}/bin)
foreach(_driver vl_m1 vl_kolvar)
    list(APPEND _sdk_commands COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${_driver}>
         ${_sdk_stage}/${_sdk_name}/bin
         COMMAND ${CMAKE_STRIP} ${_sdk_stage}/${_sdk_name}/bin/$<TARGET_FILE_NAME:${_driver}>)
endforeach()
add_custom_command(
    OUTPUT ${_sdk_zip}
    ${_sdk_commands}
    COMMAND ${CMAKE_COMMAND} -E chdir ${_sdk_stage}
            ${CMAKE_COMMAND} -E tar cf ${_sdk_zip} --format=zip ${_sdk_name}
    DEPENDS ${_sdk_depends}
    COMMENT "Driver SDK ${_sdk_zip}"
    VERBATIM)
add_custom_target(sdk_zip DEPENDS ${_sdk_zip})
