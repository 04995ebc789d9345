# Checks the PE tables of win.xpl with objdump -p: the exports are exactly the
# five plugin entry points, the imports only system DLLs and XPLM_64.dll (the
# C and C++ runtimes are linked in).
#   cmake -DOBJDUMP=... -DMODULE=win.xpl -P check_plugin_pe.cmake
cmake_minimum_required(VERSION 3.22)
if(NOT OBJDUMP OR NOT EXISTS "${MODULE}")
    message(FATAL_ERROR "usage: cmake -DOBJDUMP=objdump -DMODULE=win.xpl -P check_plugin_pe.cmake")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()

# Exports: the lines "\t[   0] Name" after "[Ordinal/Name Pointer] Table".
string(FIND "${dump}" "[Ordinal/Name Pointer] Table" at)
if(at EQUAL -1)
    message(FATAL_ERROR "${MODULE} exports nothing")
endif()
string(SUBSTRING "${dump}" ${at} -1 exportPart)
string(REGEX MATCHALL "\n\t\\[ *[0-9]+\\] [A-Za-z_0-9@]+" exportLines "${exportPart}")
set(exports)
foreach(line IN LISTS exportLines)
    string(REGEX REPLACE ".*\\] " "" name "${line}")
    list(APPEND exports ${name})
endforeach()
list(SORT exports)
set(expected XPluginDisable XPluginEnable XPluginReceiveMessage XPluginStart XPluginStop)
if(NOT exports STREQUAL expected)
    message(FATAL_ERROR "exports of ${MODULE}: ${exports}\nexpected: ${expected}")
endif()

# Imports: every "DLL Name:" must be a system DLL or XPLM_64.dll.
string(REGEX MATCHALL "DLL Name: [^\n]+" importLines "${dump}")
set(allowed advapi32.dll kernel32.dll msvcrt.dll ole32.dll shell32.dll user32.dll
            hid.dll setupapi.dll gdi32.dll msimg32.dll oleaut32.dll xplm_64.dll)
set(imports)
foreach(line IN LISTS importLines)
    string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" dll)
    list(APPEND imports ${dll})
    if(NOT dll IN_LIST allowed AND NOT dll MATCHES "^api-ms-win-")
        message(FATAL_ERROR "${MODULE} imports ${dll}, which is neither a system DLL nor XPLM_64.dll")
    endif()
endforeach()
if(NOT "xplm_64.dll" IN_LIST imports)
    message(FATAL_ERROR "${MODULE} does not import XPLM_64.dll")
endif()
message(STATUS "exports: ${exports}; imports: ${imports}")
