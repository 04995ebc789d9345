// orvservice.exe: the program's entry point on Windows.
#include "service/orv_service.h"

int wmain(int argc, wchar_t** argv) {
    int code = Orv::Service::RunProgram(argc, argv);
    Orv::Service::DestroyServiceRecord();
    return code;
}
