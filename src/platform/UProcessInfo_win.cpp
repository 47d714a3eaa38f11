#include "platform/UProcessInfo.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <memory>
#include <vector>

namespace {

struct THandleCloser {
    void operator()(HANDLE handle) const {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using THandle = std::unique_ptr<void, THandleCloser>;

struct TLocalFree {
    void operator()(void* memory) const { LocalFree(static_cast<HLOCAL>(memory)); }
};

// The security identifier of the user this process runs as, copied out of the token.
const std::vector<BYTE>& CurrentUserSid() {
    static const std::vector<BYTE> sid = [] {
        std::vector<BYTE> result;
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return result;
        THandle owned(token);
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        std::vector<BYTE> buffer(size);
        if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
            return result;
        PSID userSid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        result.assign(static_cast<BYTE*>(userSid),
                      static_cast<BYTE*>(userSid) + GetLengthSid(userSid));
        return result;
    }();
    return sid;
}

bool IsCurrentUser(PSID sid) {
    const std::vector<BYTE>& user = CurrentUserSid();
    return sid && !user.empty() && IsValidSid(sid) && EqualSid(sid, const_cast<BYTE*>(user.data()));
}

// Accounts that may write anything anyway: a grant to them gives nobody new power.
bool IsTrustedAccount(PSID sid) {
    return IsWellKnownSid(sid, WinLocalSystemSid) ||
           IsWellKnownSid(sid, WinBuiltinAdministratorsSid) ||
           IsWellKnownSid(sid, WinCreatorOwnerSid) || IsCurrentUser(sid);
}

constexpr ACCESS_MASK WriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                    FILE_WRITE_ATTRIBUTES | FILE_DELETE_CHILD | DELETE | WRITE_DAC |
                                    WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// True when the access list lets someone other than the user (and the system's own accounts)
// change the file or add to the folder. No list at all lets everybody.
bool OthersMayWrite(PACL dacl) {
    if (!dacl)
        return true;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace))
            return true;
        const auto* header = static_cast<ACE_HEADER*>(ace);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        if ((allowed->Mask & WriteRights) != 0 && !IsTrustedAccount(sid))
            return true;
    }
    return false;
}

} // namespace

qint64 CurrentProcessId() {
    return static_cast<qint64>(GetCurrentProcessId());
}

bool IsProcessAlive(qint64 pid) {
    if (pid <= 0 || pid > static_cast<qint64>(MAXDWORD))
        return false;
    THandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid)));
    if (!process)
        // A process of another user that we may not open still exists.
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    if (!GetExitCodeProcess(process.get(), &code))
        return true;
    return code == STILL_ACTIVE;
}

// The user's relative identifier, the last part of the security identifier: it names the
// per-user runtime folder, which lies in the user's own temporary folder anyway.
qint64 CurrentUserId() {
    const std::vector<BYTE>& sid = CurrentUserSid();
    if (sid.empty())
        return 0;
    PSID user = const_cast<BYTE*>(sid.data());
    const UCHAR count = *GetSidSubAuthorityCount(user);
    return count == 0 ? 0 : static_cast<qint64>(*GetSidSubAuthority(user, count - 1u));
}

std::optional<TPathOwnership> PathOwnership(const QString& path) {
    if (path.isEmpty())
        return std::nullopt;
    const std::wstring native = path.toStdWString();
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    TPathOwnership result;
    // A junction or symbolic link is described as a link: neither a folder nor a file.
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    result.IsDir = !link && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    result.IsFile = !link && !result.IsDir;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const DWORD error = GetNamedSecurityInfoW(
        native.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
        &owner, nullptr, &dacl, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) {
        // Unknown owner: it counts as someone else's.
        result.WritableByOthers = true;
        return result;
    }
    std::unique_ptr<void, TLocalFree> freeDescriptor(descriptor);
    result.OwnerId = IsCurrentUser(owner) ? CurrentUserId() : -1;
    result.WritableByOthers = OthersMayWrite(dacl);
    return result;
}

bool IsProcessRunningByName(const QString& executableName) {
    THandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE)
        return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (QString::fromWCharArray(entry.szExeFile).compare(executableName, Qt::CaseInsensitive) ==
            0)
            return true;
    }
    return false;
}
