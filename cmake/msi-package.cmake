# Builds the Windows Installer package from resources/zepimport.wxs with wixl, then writes the
# package's Russian texts into it. wixl makes a database without a code page, in which a text
# outside ASCII is lost (a shortcut named in Cyrillic even crashes it); so the database is
# switched to Windows-1251 after the build and the texts are set by msibuild, which converts
# them.
# Run as: cmake -DWIXL=... -DMSIBUILD=... -DSOURCE=<wxs> -DVERSION=1.10.0 -DPROGRAM=<exe>
#               -DICON=<ico> -DOUTPUT=<msi> -P msi-package.cmake
cmake_minimum_required(VERSION 3.25)

set(product_name "ZEP Импорт")
set(downgrade_refusal "Уже установлена более новая версия ZEP Импорт.")

set(built "${OUTPUT}.building")
get_filename_component(folder "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${folder}")
file(REMOVE "${built}")
# wixl finds the files it packs by names relative to its working folder only.
set(files "${OUTPUT}.files")
file(REMOVE_RECURSE "${files}")
file(COPY "${PROGRAM}" "${ICON}" DESTINATION "${files}")
# The marker of platform/program_folder.h (kInstalledMarker); what it says is for a curious user.
file(WRITE "${files}/zepimport.installed"
     "Installed by the ZEP Import package: the program keeps its settings and files in\r\n"
     "%LOCALAPPDATA%\\zepimport, where no upgrade or removal of the package reaches them.\r\n")
get_filename_component(program_name "${PROGRAM}" NAME)
get_filename_component(icon_name "${ICON}" NAME)
execute_process(
    COMMAND "${WIXL}" --arch x64 -D "Version=${VERSION}" -D "ProgramFile=${program_name}"
            -D "IconFile=${icon_name}" -o "${built}" "${SOURCE}"
    WORKING_DIRECTORY "${files}"
    RESULT_VARIABLE status)
file(REMOVE_RECURSE "${files}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "wixl failed (${status})")
endif()

set(codepage "${OUTPUT}.codepage.idt")
file(WRITE "${codepage}" "\r\n\r\n1251\t_ForceCodepage\r\n")
set(queries
    "UPDATE `Property` SET `Value` = '${product_name}' WHERE `Property` = 'ProductName'"
    "UPDATE `Shortcut` SET `Name` = '${product_name}' WHERE `Shortcut` = 'StartMenuShortcut'"
    "UPDATE `LaunchCondition` SET `Description` = '${downgrade_refusal}' WHERE `Condition` = 'NOT WIX_DOWNGRADE_DETECTED'")
set(arguments -i "${codepage}")
foreach(query IN LISTS queries)
    list(APPEND arguments -q "${query}")
endforeach()
execute_process(COMMAND "${MSIBUILD}" "${built}" ${arguments} RESULT_VARIABLE status)
file(REMOVE "${codepage}")
if(NOT status EQUAL 0)
    message(FATAL_ERROR "msibuild failed (${status})")
endif()
file(RENAME "${built}" "${OUTPUT}")
