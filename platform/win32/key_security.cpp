#include "platform/win32/key_security.h"

#include <windows.h>

#include "platform/win32/system_error.h"
#include "platform/win32/unique_handle.h"

namespace qm {
namespace {

// A well-known SID in a buffer of its own; no allocation to free.
struct WellKnownSid {
  BYTE bytes[SECURITY_MAX_SID_SIZE] = {};
  bool Make(WELL_KNOWN_SID_TYPE type) {
    DWORD size = sizeof bytes;
    return CreateWellKnownSid(type, nullptr, bytes, &size) != 0;
  }
  PSID Get() { return bytes; }
};

}  // namespace

bool RestrictMachineKeyToAdministrators(const std::string& subkey, std::string& reason) {
  HKEY raw = nullptr;
  LONG rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_READ | WRITE_DAC, nullptr, &raw, nullptr);
  RegistryKeyHandle key(rc == ERROR_SUCCESS ? raw : nullptr);
  if (!key) {
    reason = SystemErrorText(DWORD(rc));
    return false;
  }
  WellKnownSid system, administrators;
  if (!system.Make(WinLocalSystemSid) || !administrators.Make(WinBuiltinAdministratorsSid)) {
    reason = SystemErrorText(GetLastError());
    return false;
  }
  // Room for the header and two entries, each with its SID.
  alignas(DWORD) BYTE aclBytes[sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)];
  auto* acl = reinterpret_cast<PACL>(aclBytes);
  if (!InitializeAcl(acl, sizeof aclBytes, ACL_REVISION) ||
      !AddAccessAllowedAceEx(acl, ACL_REVISION, CONTAINER_INHERIT_ACE, KEY_ALL_ACCESS, system.Get()) ||
      !AddAccessAllowedAceEx(acl, ACL_REVISION, CONTAINER_INHERIT_ACE, KEY_ALL_ACCESS, administrators.Get())) {
    reason = SystemErrorText(GetLastError());
    return false;
  }
  // Protected: the entries inherited from Software (read for Users) go.
  SECURITY_DESCRIPTOR sd;
  if (!InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(&sd, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    reason = SystemErrorText(GetLastError());
    return false;
  }
  rc = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &sd);
  if (rc != ERROR_SUCCESS) {
    reason = SystemErrorText(DWORD(rc));
    return false;
  }
  return true;
}

}  // namespace qm
