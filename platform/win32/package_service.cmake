# Run by the package target (cmake -P): puts the service program into the
# staged package folder.  The service ships as a 32-bit program: the
# windows32 build's orvservice.exe when that build has one, else this
# build's 64-bit one.
#
#   -DSERVICE32=<the 32-bit orvservice.exe>  -DSERVICE64=<this build's>
#   -DDEST=<folder>
if(EXISTS "${SERVICE32}")
    set(_orv_service "${SERVICE32}")
    set(_orv_bits 32)
else()
    set(_orv_service "${SERVICE64}")
    set(_orv_bits 64)
endif()
file(COPY "${_orv_service}" DESTINATION "${DEST}")
message(STATUS "package: orvservice.exe is the ${_orv_bits}-bit build (${_orv_service})")
