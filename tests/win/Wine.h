// Whether the Windows tests run under Wine, which lacks some of what a real Windows port or
// file system has; a test that cannot hold there skips with the reason.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

inline bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
