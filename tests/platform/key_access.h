#pragma once
// Reads back who may open a key, as tests and the end-to-end probe check it:
// the first line says whether the access list is protected from
// inheritance, then one line per entry: "allow|deny SID MASK FLAGS".
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdio>
#include <string>

#include "platform/win32/unique_handle.h"

namespace qm {

inline std::string DescribeKeyAccess(HKEY root, const std::string& subkey) {
  HKEY raw = nullptr;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, READ_CONTROL, &raw) != ERROR_SUCCESS) return "cannot open\n";
  RegistryKeyHandle key(raw);
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (GetSecurityInfo(key.Get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &sd) !=
      ERROR_SUCCESS)
    return "cannot read\n";
  LocalMemoryHandle owned(sd);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(sd, &control, &revision);
  std::string out = (control & SE_DACL_PROTECTED) ? "protected\n" : "not protected\n";
  if (!dacl) return out + "no access list\n";
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) break;
    auto* header = static_cast<ACE_HEADER*>(ace);
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);  // same layout as a deny entry
    char* sidText = nullptr;
    ConvertSidToStringSidA(&allowed->SidStart, &sidText);
    LocalMemoryHandle ownedSid(sidText);
    char line[160];
    std::snprintf(line, sizeof line, "%s %s 0x%08lx 0x%02x\n",
                  header->AceType == ACCESS_ALLOWED_ACE_TYPE ? "allow" : "deny", sidText ? sidText : "?",
                  static_cast<unsigned long>(allowed->Mask), unsigned(header->AceFlags));
    out += line;
  }
  return out;
}

}  // namespace qm
