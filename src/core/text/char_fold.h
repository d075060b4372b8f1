// One-to-one character folding shared by the text routines (internal).
#pragma once

namespace vantrel::text_detail {

inline wchar_t FoldAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

// Simple lower-case folding: ASCII, Latin-1, Latin Extended-A, basic Greek and Cyrillic, full-width Latin.
inline wchar_t FoldSimple(wchar_t c) {
  const unsigned u = static_cast<unsigned>(c);
  auto to = [](unsigned v) { return static_cast<wchar_t>(v); };
  if (u < 0x80) return (u >= 'A' && u <= 'Z') ? to(u + 32) : c;
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return to(u + 32);
  if (u >= 0x100 && u <= 0x17F) {
    if (u == 0x178) return to(0xFF);
    if ((u <= 0x137) || (u >= 0x14A && u <= 0x177)) return to(u | 1);  // even upper, odd lower
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return (u & 1) ? to(u + 1) : c;
    return c;
  }
  if (u >= 0x370 && u <= 0x3FF) {
    if (u >= 0x391 && u <= 0x3A9 && u != 0x3A2) return to(u + 32);
    if (u == 0x386) return to(0x3AC);
    if (u >= 0x388 && u <= 0x38A) return to(u + 37);
    if (u == 0x38C) return to(0x3CC);
    if (u == 0x38E || u == 0x38F) return to(u + 63);
    if (u == 0x3C2) return to(0x3C3);  // final sigma
    return c;
  }
  if (u >= 0x400 && u <= 0x40F) return to(u + 80);
  if (u >= 0x410 && u <= 0x42F) return to(u + 32);
  if (u >= 0xFF21 && u <= 0xFF3A) return to(u + 32);
  return c;
}

inline bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Blanks between the fields of a date or time text (the locale may use no-break spaces there).
inline bool IsFieldBlank(wchar_t c) { return c == L' ' || c == 0xA0 || c == 0x202F; }

}  // namespace vantrel::text_detail
