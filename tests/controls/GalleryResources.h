#pragma once
// The controls gallery (built beside the tests) as a module of templates and
// bitmaps for the controls tests, which have no resources of their own.
#include "../classlib/WindowTestSupport.h"
#include "../gallery/GalleryResource.h"

namespace wintest {

// gallery.exe loaded as a data file: its resources, not its code.
inline HMODULE GalleryModule()
{
    static HMODULE module = [] {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        char* slash = strrchr(path, '\\');
        if (slash)
            strcpy(slash + 1, "gallery.exe");
        return LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }();
    return module;
}

inline LPCDLGTEMPLATEA GalleryTemplate(UINT id)
{
    HMODULE module = GalleryModule();
    HRSRC resource = module ? FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)) : nullptr;
    HGLOBAL global = resource ? LoadResource(module, resource) : nullptr;
    return global ? static_cast<LPCDLGTEMPLATEA>(LockResource(global)) : nullptr;
}

// While it lives, the application's resource module is the gallery, so that
// code loading "its" bitmaps finds the gallery's. Create no windows meanwhile:
// the instance handle is the gallery's too.
class GalleryResourceScope {
public:
    GalleryResourceScope() { m_app.m_hInstance = GalleryModule(); }

private:
    CWinApp m_app;
};

}  // namespace wintest
