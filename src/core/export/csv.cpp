#include "core/export/csv.h"

#include <string_view>

namespace vantrel {

bool IsPlainNumber(const std::wstring& text) {
  size_t i = 0;
  if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) ++i;
  bool digit = false, point = false;
  for (; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c >= L'0' && c <= L'9') {
      digit = true;
    } else if ((c == L'.' || c == L',') && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

std::wstring FormulaSafeText(const std::wstring& text) {
  if (text.empty() || std::wstring_view(L"=+-@\t\r").find(text.front()) == std::wstring_view::npos) return text;
  if (IsPlainNumber(text)) return text;
  return L"'" + text;
}

std::wstring CsvField(const std::wstring& cell) {
  const std::wstring text = FormulaSafeText(cell);
  // A leading quotation mark would make a reader take the field as quoted.
  if (text.find_first_of(L";\r\n") == std::wstring::npos && (text.empty() || text.front() != L'"')) return text;
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    if (c == L'"') quoted += L'"';
    quoted += c;
  }
  return quoted + L"\"";
}

namespace {

void AppendLine(std::wstring& out, const std::vector<std::wstring>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out += L';';
    out += CsvField(fields[i]);
  }
  out += L"\r\n";
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::wstring CsvText(const CsvTable& table) {
  std::wstring out;
  AppendLine(out, table.Header);
  for (const auto& row : table.Rows) AppendLine(out, row);
  return out;
}

std::string Utf8WithBom(const std::wstring& text) {
  std::string out = "\xEF\xBB\xBF";
  out.reserve(text.size() + 3);
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t c = static_cast<char32_t>(text[i]);
    if constexpr (sizeof(wchar_t) == 2) {
      // UTF-16: join a surrogate pair; a lone surrogate becomes U+FFFD.
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[i + 1]) - 0xDC00);
        ++i;
      } else if (c >= 0xD800 && c <= 0xDFFF) {
        c = 0xFFFD;
      }
    }
    if (c > 0x10FFFF) c = 0xFFFD;
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace vantrel
