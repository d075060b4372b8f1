#include "core/os/accounts.h"

#include <array>

#include "core/os/ascii.h"

namespace vantrel {

std::wstring SIDToText(const uint8_t* sid, size_t size) {
  if (sid == nullptr || size < 8 || sid[0] != 1) return {};
  const size_t count = sid[1];
  if (count > 15 || size < 8 + 4 * count) return {};
  uint64_t authority = 0;
  for (int i = 2; i < 8; ++i) authority = (authority << 8) | sid[i];
  std::wstring text = L"S-1-" + std::to_wstring(authority);
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* p = sid + 8 + 4 * i;
    const uint32_t sub = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    text += L"-" + std::to_wstring(sub);
  }
  return text;
}

std::wstring SessionTypeName(SessionType t) {
  static constexpr std::array<const wchar_t*, 7> kNames{L"本地", L"VMWare",   L"VirtualPC", L"VirtualBox",
                                                        L"QEMU", L"Terminal", L"Citrix"};
  const auto i = static_cast<size_t>(t);
  return i < kNames.size() ? kNames[i] : L"";
}

std::wstring SessionTypeToStr(SessionTypes types) {
  static constexpr std::array<SessionType, 7> kOrder{
      SessionType::Local,     SessionType::Terminal,   SessionType::Citrix, SessionType::VMware,
      SessionType::VirtualPC, SessionType::VirtualBox, SessionType::Qemu};
  std::wstring text;
  for (SessionType t : kOrder) {
    if (!(types & SessionTypeBit(t))) continue;
    if (!text.empty()) text += L'+';
    text += SessionTypeName(t);
  }
  return text;
}

namespace {

SessionTypes VmMarkers(const std::vector<EnumKey>& keys) {
  struct Marker {
    const wchar_t* text;
    SessionType type;
  };
  static constexpr std::array<Marker, 4> kMarkers{{{L"VMWARE", SessionType::VMware},
                                                   {L"VBOX_HARD", SessionType::VirtualBox},
                                                   {L"VIRTUAL_HD", SessionType::VirtualPC},
                                                   {L"QEMU_HARD", SessionType::Qemu}}};
  SessionTypes found = 0;
  for (const EnumKey& key : keys) {
    if (!key.HasSubKeys) continue;
    for (const Marker& m : kMarkers)
      if (detail::FindNoCase(key.Name, m.text) != std::wstring_view::npos) found |= SessionTypeBit(m.type);
  }
  return found;
}

}  // namespace

SessionTypes DecideSessionTypes(const SessionFacts& f) {
  SessionTypes types = VmMarkers(f.IdeKeys);
  if (types == 0) types = VmMarkers(f.ScsiKeys);
  if (detail::FindNoCase(detail::ToUpper(f.GinaDll), L"CTXGINA") != std::wstring_view::npos || f.CitrixConnectionKey)
    types |= SessionTypeBit(SessionType::Citrix);
  types |= SessionTypeBit(f.RemoteSession ? SessionType::Terminal : SessionType::Local);
  return types;
}

bool WantsDomainQualifiedName(std::wstring_view user, std::wstring_view domain, std::wstring_view computerName) {
  return !domain.empty() && !user.empty() && !detail::EqualsNoCase(domain, computerName);
}

}  // namespace vantrel
