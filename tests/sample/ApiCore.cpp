// The test COM server, planted as APICore.dll in the 32-bit system
// directory. Registration and unregistration each leave their name as a line
// of the mark "apicore.txt"; nothing is written to the registry.
#include "sample/SampleMarks.h"

#include <windows.h>

extern "C" HRESULT WINAPI DllRegisterServer()
{
    sample_marks::AppendMark("apicore.txt", "DllRegisterServer");
    return S_OK;
}

extern "C" HRESULT WINAPI DllUnregisterServer()
{
    sample_marks::AppendMark("apicore.txt", "DllUnregisterServer");
    return S_OK;
}
