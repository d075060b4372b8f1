#include "system/shell/shell_link.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "core/text/str_utils.h"
#include "system/com_ptr.h"
#include "system/os/file_version.h"

namespace vantrel {

HRESULT ResolveShellLink(const std::wstring& linkFile, ShellLinkRecord& record) {
  record = ShellLinkRecord{};
  win::ComScope com;
  if (!com.Usable()) return com.Result();

  win::ComPtr<IShellLinkW> link;
  HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
  if (FAILED(hr)) return hr;
  win::ComPtr<IPersistFile> file;
  hr = link->QueryInterface(IID_IPersistFile, file.put_void());
  if (FAILED(hr)) return hr;
  hr = file->Load(linkFile.c_str(), STGM_READ);
  if (FAILED(hr)) return hr;
  // No user interface, and a short search for a moved target (the time-out goes in the high word).
  hr = link->Resolve(nullptr, SLR_NO_UI | (static_cast<DWORD>(kShellLinkResolveTimeoutMs) << 16));
  if (FAILED(hr)) return hr;

  wchar_t buf[MAX_PATH + 1];
  buf[0] = 0;
  hr = link->GetPath(buf, MAX_PATH, nullptr, SLGP_UNCPRIORITY);
  if (SUCCEEDED(hr)) record.Target = FixLinkTargetX86(TextUpToNul(buf, MAX_PATH), FileExists);
  buf[0] = 0;
  hr = link->GetArguments(buf, 256);
  if (SUCCEEDED(hr)) record.Arguments = TextUpToNul(buf, 256);
  buf[0] = 0;
  hr = link->GetWorkingDirectory(buf, 256);
  if (SUCCEEDED(hr)) record.WorkingDirectory = TextUpToNul(buf, 256);
  buf[0] = 0;
  int iconIndex = 0;
  hr = link->GetIconLocation(buf, 256, &iconIndex);
  if (SUCCEEDED(hr)) {
    record.IconFile = TextUpToNul(buf, 256);
    record.IconIndex = iconIndex;
  }
  buf[0] = 0;
  hr = link->GetDescription(buf, 256);
  if (SUCCEEDED(hr)) record.Name = TextUpToNul(buf, 256);
  int showCmd = 0;
  hr = link->GetShowCmd(&showCmd);
  if (SUCCEEDED(hr)) record.ShowCmd = showCmd;
  return hr;
}

}  // namespace vantrel
