# The package target: the zip a user unpacks into X-Plane's
# Resources/plugins folder.
#
#   XValduraAvionex/64/win.xpl
#   XValduraAvionex/data/...      (the sample configuration, data/)
#   XValduraAvionex/orvservice.exe  (the service program: the 32-bit build
#                                   from ORV_SERVICE32_EXE when it exists,
#                                   else this build's 64-bit one)
#
# Included where the win target is defined.  Output:
# ${CMAKE_BINARY_DIR}/OrvLink-<version>-win64.zip
set(ORV_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/OrvLink-${PROJECT_VERSION}-win64.zip)
set(_orv_package_stage ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${_orv_package_stage})
set(ORV_SERVICE32_EXE ${PROJECT_SOURCE_DIR}/build/windows32/service/orvservice.exe CACHE FILEPATH
    "The 32-bit orvservice.exe that the package ships (the windows32 preset's build)")
add_custom_target(package
    COMMAND ${CMAKE_COMMAND} -E rm -rf XValduraAvionex ${ORV_PACKAGE_ZIP}
    COMMAND ${CMAKE_COMMAND} -E make_directory XValduraAvionex/64
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:win> XValduraAvionex/64/
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${PROJECT_SOURCE_DIR}/data XValduraAvionex/data
    COMMAND ${CMAKE_COMMAND} -DSERVICE32=${ORV_SERVICE32_EXE} -DSERVICE64=$<TARGET_FILE:orvservice>
            -DDEST=XValduraAvionex -P ${CMAKE_CURRENT_LIST_DIR}/package_service.cmake
    COMMAND ${CMAKE_COMMAND} -E tar cf ${ORV_PACKAGE_ZIP} --format=zip XValduraAvionex
    WORKING_DIRECTORY ${_orv_package_stage}
    BYPRODUCTS ${ORV_PACKAGE_ZIP}
    DEPENDS win orvservice
    COMMENT "Packaging ${ORV_PACKAGE_ZIP}"
    VERBATIM)
