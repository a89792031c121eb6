#include "settings/notification_rule.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "settings/registry_layout.h"

namespace qm {
namespace {

constexpr char kNarrowName[] = "NotificationEx2";
constexpr char kWideName[] = "NotificationEx2U";

// A field filled to its end would let a reader run into the next field.
template <class Rule>
void TerminateTexts(Rule& r) {
  r.adapterId[std::size(r.adapterId) - 1] = 0;
  r.limitText[std::size(r.limitText) - 1] = 0;
  r.soundFile[std::size(r.soundFile) - 1] = 0;
  r.emailAddresses[std::size(r.emailAddresses) - 1] = 0;
  r.program[std::size(r.program) - 1] = 0;
}

template <class Rule>
RuleRead Decode(const uint8_t* data, size_t size, Rule& out) {
  std::memset(&out, 0, sizeof out);
  if (size) std::memcpy(&out, data, std::min(size, sizeof out));
  RuleRead result = RuleRead::Accepted;
  if (out.version != kRuleVersion && out.version != kRuleOldVersion) {
    std::memset(&out, 0, sizeof out);
    result = RuleRead::Rejected;
  }
  TerminateTexts(out);
  if (out.nDays <= 0) out.nDays = 1;
  return result;
}

template <class Rule>
RuleRead Read(SettingsStore& store, RegRoot root, const char* name, Rule& out) {
  RegValue v;
  if (!store.ReadValue(root, kOptionsKey, name, v)) {
    std::memset(&out, 0, sizeof out);
    out.nDays = 1;
    return RuleRead::Missing;
  }
  return Decode(v.data.data(), v.data.size(), out);
}

template <class Rule>
std::vector<uint8_t> Encode(const Rule& rule) {
  Rule copy = rule;
  copy.version = kRuleVersion;
  const auto* p = reinterpret_cast<const uint8_t*>(&copy);
  return std::vector<uint8_t>(p, p + sizeof copy);
}

}  // namespace

RuleRead DecodeNotificationRule(const uint8_t* data, size_t size, NotificationRule& out) { return Decode(data, size, out); }
RuleRead DecodeNotificationRule(const uint8_t* data, size_t size, NotificationRuleU& out) { return Decode(data, size, out); }

RuleRead ReadNotificationRule(SettingsStore& store, RegRoot root, NotificationRule& out) {
  return Read(store, root, kNarrowName, out);
}
RuleRead ReadNotificationRule(SettingsStore& store, RegRoot root, NotificationRuleU& out) {
  return Read(store, root, kWideName, out);
}

std::vector<uint8_t> EncodeNotificationRule(const NotificationRule& rule) { return Encode(rule); }
std::vector<uint8_t> EncodeNotificationRule(const NotificationRuleU& rule) { return Encode(rule); }

bool WriteNotificationRule(SettingsStore& store, RegRoot root, const NotificationRule& rule) {
  return store.WriteValue(root, kOptionsKey, kNarrowName, {RegType::Binary, Encode(rule)});
}
bool WriteNotificationRule(SettingsStore& store, RegRoot root, const NotificationRuleU& rule) {
  return store.WriteValue(root, kOptionsKey, kWideName, {RegType::Binary, Encode(rule)});
}

}  // namespace qm
