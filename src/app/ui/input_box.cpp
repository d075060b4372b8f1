#include "app/ui/input_box.h"

#include <cstdint>
#include <vector>

namespace vantrel::app {
namespace {

constexpr int kPromptId = 101;

// A dialog template built in memory: words appended with the alignment the template rules ask for.
class TemplateWriter {
 public:
  void Word(uint16_t w) { data_.push_back(w); }
  void DWord(uint32_t d) {
    Word(static_cast<uint16_t>(d & 0xFFFF));
    Word(static_cast<uint16_t>(d >> 16));
  }
  void Text(const wchar_t* s) {
    for (; *s; ++s) Word(static_cast<uint16_t>(*s));
    Word(0);
  }
  void AlignDWord() {
    if (data_.size() % 2) Word(0);
  }
  void Item(DWORD style, short x, short y, short cx, short cy, uint16_t id, uint16_t atom, const wchar_t* text) {
    AlignDWord();
    DWord(style | WS_CHILD | WS_VISIBLE);
    DWord(0);  // extended style
    for (short v : {x, y, cx, cy}) Word(static_cast<uint16_t>(v));
    Word(id);
    Word(0xFFFF);  // a predefined class by atom
    Word(atom);
    Text(text);
    Word(0);  // no creation data
  }
  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(data_.data()); }
  std::vector<uint16_t>& data() { return data_; }

 private:
  std::vector<uint16_t> data_;
};

struct BoxState {
  const std::wstring* caption;
  const std::wstring* prompt;
  std::wstring* value;
};

INT_PTR CALLBACK BoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<BoxState*>(lParam);
      ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      ::SetWindowTextW(dialog, state->caption->c_str());
      ::SetDlgItemTextW(dialog, kPromptId, state->prompt->c_str());
      ::SetDlgItemTextW(dialog, kInputBoxEditId, state->value->c_str());
      ::SendDlgItemMessageW(dialog, kInputBoxEditId, EM_SETSEL, 0, -1);
      return TRUE;  // the edit, first tab stop, takes the focus
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* state = reinterpret_cast<BoxState*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        const HWND edit = ::GetDlgItem(dialog, kInputBoxEditId);
        std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
        text.resize(static_cast<size_t>(::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
        *state->value = std::move(text);
        ::EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool InputQuery(HWND owner, const std::wstring& caption, const std::wstring& prompt, std::wstring& value) {
  TemplateWriter t;
  const DWORD style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  t.DWord(style);
  t.DWord(0);  // extended style
  t.Word(4);   // items
  for (short v : {0, 0, 240, 64}) t.Word(static_cast<uint16_t>(v));
  t.Word(0);  // no menu
  t.Word(0);  // the standard dialog class
  t.Text(L"");
  t.Word(9);
  t.Text(L"Segoe UI");
  t.Item(SS_LEFT | SS_NOPREFIX, 8, 6, 224, 10, kPromptId, 0x0082, L"");
  t.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 8, 18, 224, 13, kInputBoxEditId, 0x0081, L"");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 126, 42, 50, 14, IDOK, 0x0080, L"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 182, 42, 50, 14, IDCANCEL, 0x0080, L"Cancel");
  BoxState state{&caption, &prompt, &value};
  return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.Get(), owner, &BoxProc,
                                   reinterpret_cast<LPARAM>(&state)) == IDOK;
}

}  // namespace vantrel::app
