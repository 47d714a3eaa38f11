#include "platform/UCommonAppData.h"

#include <windows.h>

#include <knownfolders.h>
#include <shlobj.h>

namespace {

using TSHGetKnownFolderPath = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);
using TSHGetKnownFolderIDList = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE,
                                                 PIDLIST_ABSOLUTE*);

// Older systems lack the known-folder functions, so they are looked up by name, once.
struct TShellFunctions {
    TSHGetKnownFolderPath GetKnownFolderPath = nullptr;
    TSHGetKnownFolderIDList GetKnownFolderIDList = nullptr;

    TShellFunctions() {
        if (HMODULE shell = GetModuleHandleW(L"shell32.dll")) {
            GetKnownFolderPath = reinterpret_cast<TSHGetKnownFolderPath>(
                reinterpret_cast<void*>(GetProcAddress(shell, "SHGetKnownFolderPath")));
            GetKnownFolderIDList = reinterpret_cast<TSHGetKnownFolderIDList>(
                reinterpret_cast<void*>(GetProcAddress(shell, "SHGetKnownFolderIDList")));
        }
    }
};

const TShellFunctions& ShellFunctions() {
    static const TShellFunctions functions;
    return functions;
}

QString PathOfIdList(PIDLIST_ABSOLUTE list) {
    wchar_t buffer[MAX_PATH + 1] = {};
    const bool ok = SHGetPathFromIDListW(list, buffer);
    CoTaskMemFree(list);
    return ok ? QString::fromWCharArray(buffer) : QString();
}

} // namespace

QString GetCommonAppDataFolder() {
    const TShellFunctions& shell = ShellFunctions();
    QString folder;
    bool done = false;
    if (shell.GetKnownFolderPath) {
        PWSTR path = nullptr;
        if (SUCCEEDED(shell.GetKnownFolderPath(FOLDERID_ProgramData, 0, nullptr, &path))) {
            folder = QString::fromWCharArray(path);
            done = true;
        }
        CoTaskMemFree(path);
    } else if (shell.GetKnownFolderIDList) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (SUCCEEDED(shell.GetKnownFolderIDList(FOLDERID_ProgramData, 0, nullptr, &list))) {
            folder = PathOfIdList(list);
            done = true;
        }
    }
    if (!done) {
        PIDLIST_ABSOLUTE list = nullptr;
        if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_COMMON_APPDATA, &list)))
            folder = PathOfIdList(list);
    }
    if (!folder.isEmpty() && !folder.endsWith(u'\\'))
        folder += u'\\';
    return folder;
}
