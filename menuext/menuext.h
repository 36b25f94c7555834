#pragma once

#include "platform/com.h"

// The file-manager context-menu extension (menuext.so), an in-process COM server loaded at run
// time by its host and by the program, which registers it. Its four exports, with C linkage:
//
// DllGetClassObject: the class factory of CLSID_Sortmenu (CLASS_E_CLASSNOTAVAILABLE for any
//   other class), asked for `iid`.
// DllCanUnloadNow: S_OK when no object of the module lives, S_FALSE otherwise.
// DllRegisterServer / DllUnregisterServer: write or remove the registry entries that make the
//   host load the extension for MP3 and WMA files; S_OK, or SELFREG_E_CLASS at the first entry
//   that cannot be written or removed.
//
// The extension's menu, its commands and their help texts are for whoever drives the handler;
// the caller owns every buffer it passes.

extern "C" {
__attribute__((visibility("default"))) HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid,
                                                                 void** object);
__attribute__((visibility("default"))) HRESULT DllCanUnloadNow();
__attribute__((visibility("default"))) HRESULT DllRegisterServer();
__attribute__((visibility("default"))) HRESULT DllUnregisterServer();
}

// {5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}
inline constexpr CLSID CLSID_Sortmenu = {
    0x5E1A7C20, 0x3B94, 0x4D2F, {0x8C, 0x61, 0x0A, 0x9B, 0x7D, 0x3E, 0x4F, 0x12}};

// The module's file name, beside the program.
inline constexpr const char* kMenuextModule = "menuext.so";
