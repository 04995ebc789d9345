// A DLL for the module-port tests: an address inside a module that the test
// program loads from wherever it likes.
extern "C" __declspec(dllexport) int OrvModuleProbe() {
    return 42;
}
