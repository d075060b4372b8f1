#include "system/update/web_update.h"

#include <wininet.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "system/os/system_library.h"

namespace vantrel::update {
namespace {

using Clock = std::chrono::steady_clock;

// WinInet is loaded when the first check runs: with /NUC it never is.
struct WinInetApi {
  decltype(&::InternetOpenW) InternetOpenW = nullptr;
  decltype(&::InternetConnectW) InternetConnectW = nullptr;
  decltype(&::InternetCloseHandle) InternetCloseHandle = nullptr;
  decltype(&::InternetSetOptionW) InternetSetOptionW = nullptr;
  decltype(&::InternetQueryDataAvailable) InternetQueryDataAvailable = nullptr;
  decltype(&::InternetReadFile) InternetReadFile = nullptr;
  decltype(&::HttpOpenRequestW) HttpOpenRequestW = nullptr;
  decltype(&::HttpSendRequestW) HttpSendRequestW = nullptr;
  decltype(&::HttpQueryInfoW) HttpQueryInfoW = nullptr;
  HMODULE module = nullptr;
  DWORD loadError = 0;
  bool complete = false;
};

const WinInetApi& WinInet() {
  static const WinInetApi api = [] {
    static SystemLibrary library(L"wininet.dll");
    WinInetApi a;
    a.complete =
        library.Bind(a.InternetOpenW, "InternetOpenW") && library.Bind(a.InternetConnectW, "InternetConnectW") &&
        library.Bind(a.InternetCloseHandle, "InternetCloseHandle") &&
        library.Bind(a.InternetSetOptionW, "InternetSetOptionW") &&
        library.Bind(a.InternetQueryDataAvailable, "InternetQueryDataAvailable") &&
        library.Bind(a.InternetReadFile, "InternetReadFile") && library.Bind(a.HttpOpenRequestW, "HttpOpenRequestW") &&
        library.Bind(a.HttpSendRequestW, "HttpSendRequestW") && library.Bind(a.HttpQueryInfoW, "HttpQueryInfoW");
    a.module = library.Module();
    a.loadError = a.module ? ERROR_PROC_NOT_FOUND : library.LoadError();
    return a;
  }();
  return api;
}

// Closes the exchange's open handles at the deadline or on abort. A blocked InternetReadFile only ends when its
// handle is closed: a server that sends a byte within every receive time-out would hold it for hours.
class Watchdog {
 public:
  Watchdog(Clock::time_point deadline, const std::atomic<bool>* aborting)
      : deadline_(deadline), aborting_(aborting), thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard guard(lock_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();  // it never blocks on anything but this lock and its short wait
  }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

  // False when the watchdog has fired already: the caller closes the handle itself then.
  bool Adopt(HINTERNET handle) {
    std::lock_guard guard(lock_);
    if (fired_) return false;
    open_.push_back(handle);
    return true;
  }
  // Takes a handle back for closing by the caller; false when the watchdog closed it already.
  bool Release(HINTERNET handle) {
    std::lock_guard guard(lock_);
    for (auto it = open_.begin(); it != open_.end(); ++it) {
      if (*it != handle) continue;
      open_.erase(it);
      return true;
    }
    return false;
  }

 private:
  void Watch() {
    constexpr auto kAbortPoll = std::chrono::milliseconds(20);
    std::unique_lock guard(lock_);
    while (!done_) {
      const bool aborted = aborting_ && *aborting_;
      if (aborted || Clock::now() >= deadline_) {
        fired_ = true;
        // The newest first: the request before its connection.
        for (auto it = open_.rbegin(); it != open_.rend(); ++it) WinInet().InternetCloseHandle(*it);
        open_.clear();
        return;
      }
      wake_.wait_until(guard, std::min(deadline_, Clock::now() + kAbortPoll));
    }
  }

  const Clock::time_point deadline_;
  const std::atomic<bool>* aborting_;
  std::mutex lock_;
  std::condition_variable wake_;
  std::vector<HINTERNET> open_;
  bool done_ = false;
  bool fired_ = false;
  std::thread thread_;  // last: starts once the members above exist
};

// A handle closed by its owner or, at the deadline, by the watchdog; never twice.
struct InternetHandle {
  HINTERNET h = nullptr;
  Watchdog* watchdog = nullptr;
  InternetHandle(HINTERNET handle, Watchdog& dog) : h(handle), watchdog(&dog) {
    if (h && !watchdog->Adopt(h)) {
      WinInet().InternetCloseHandle(h);
      h = nullptr;
    }
  }
  ~InternetHandle() {
    if (h && watchdog->Release(h)) WinInet().InternetCloseHandle(h);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  explicit operator bool() const { return h != nullptr; }
};

// The system's text for an error code; WinInet's own codes come from wininet.dll's message table.
std::wstring ErrorText(DWORD error) {
  wchar_t* text = nullptr;
  DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
  const HMODULE wininet = WinInet().module;
  if (error >= INTERNET_ERROR_BASE && error <= INTERNET_ERROR_LAST && wininet) flags |= FORMAT_MESSAGE_FROM_HMODULE;
  const DWORD n = ::FormatMessageW(flags, wininet, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring result = n && text ? std::wstring(text, n) : L"Error " + std::to_wstring(error);
  if (text) ::LocalFree(text);
  while (!result.empty() && (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
    result.pop_back();
  return result;
}

std::wstring PageText(const std::string& bytes) {
  if (auto utf8 = DecodeUtf8(bytes)) return *utf8;
  const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(n > 0 ? n : 0, L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

bool IsRedirectStatus(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

class Exchange {
 public:
  Exchange(const UpdateCheckConfig& config, const std::atomic<bool>* aborting)
      : config_(config),
        aborting_(aborting),
        deadline_(Clock::now() + std::chrono::milliseconds(config.DeadlineMs)),
        watchdog_(deadline_, aborting) {}

  FetchResult Fetch(const std::wstring& url) {
    step_ = L"Download start";
    const RequestTarget target = ResolveRequest(url, config_.URL, config_.HTTPPort);
    if (Stopped()) return Failed(StopText());
    if (!WinInet().complete) return Failed(L"wininet.dll: " + ErrorText(WinInet().loadError));
    InternetHandle session(WinInet().InternetOpenW(L"UpdateCheck", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0),
                           watchdog_);
    if (!session) return Failed(StoppedOr(ErrorText(::GetLastError())));
    SetTimeouts(session.h);
    InternetHandle connection(
        WinInet().InternetConnectW(session.h, target.Server.c_str(), target.Port, NullIfEmpty(config_.UserName),
                                   NullIfEmpty(config_.Password), INTERNET_SERVICE_HTTP, 0, 0),
        watchdog_);
    if (!connection) return Failed(StoppedOr(ErrorText(::GetLastError())));
    step_ = L"Site connected";
    const wchar_t* accept[] = {L"*/*", nullptr};
    // Redirections are followed by the caller, which counts them and keeps them on the host; certificate errors
    // are never ignored; no logon credentials or cookies go to whoever answers.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTH |
                  INTERNET_FLAG_NO_COOKIES;
    if (target.Secure) flags |= INTERNET_FLAG_SECURE | INTERNET_FLAG_PRAGMA_NOCACHE;
    InternetHandle request(
        WinInet().HttpOpenRequestW(connection.h, L"GET", target.Path.c_str(), L"HTTP/1.0", nullptr, accept, flags, 0),
        watchdog_);
    if (!request) return Failed(StoppedOr(ErrorText(::GetLastError())));
    SetTimeouts(connection.h);  // some WinInet builds read the timeouts from the request, not the session
    SetTimeouts(request.h);
    step_ = L"Open request";
    if (!WinInet().HttpSendRequestW(request.h, nullptr, 0, nullptr, 0))
      return Failed(StoppedOr(ErrorText(::GetLastError())));
    if (Stopped()) return Failed(StopText());
    step_ = L"Query info";

    DWORD status = 0, size = sizeof(status);
    if (WinInet().HttpQueryInfoW(request.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
        IsRedirectStatus(status)) {
      std::wstring location(2048, L'\0');
      DWORD bytes = static_cast<DWORD>(location.size() * sizeof(wchar_t));
      if (!WinInet().HttpQueryInfoW(request.h, HTTP_QUERY_LOCATION, location.data(), &bytes, nullptr))
        return Failed(StoppedOr(ErrorText(::GetLastError())));
      location.resize(bytes / sizeof(wchar_t));
      return {FetchResult::Kind::Redirect, location};
    }
    DWORD length = 0;
    size = sizeof(length);
    // An announced length over the cap fails at once; without one the reads are capped.
    if (WinInet().HttpQueryInfoW(request.h, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                                 nullptr) &&
        length > config_.PageCap)
      return Failed(std::wstring(kPageTooLarge));
    return ReadPage(request.h);
  }

 private:
  FetchResult ReadPage(HINTERNET request) {
    std::string bytes;
    std::vector<char> chunk(4096);
    for (;;) {
      if (Stopped()) return Failed(StopText());
      // Only what has arrived is read: a read of a whole chunk waits until the chunk is full, one time-out per
      // byte, however long that takes.
      DWORD available = 0;
      if (!WinInet().InternetQueryDataAvailable(request, &available, 0, 0))
        return Failed(StoppedOr(ErrorText(::GetLastError())));
      if (available == 0) break;
      DWORD read = 0;
      const DWORD want = std::min<DWORD>(available, static_cast<DWORD>(chunk.size()));
      if (!WinInet().InternetReadFile(request, chunk.data(), want, &read))
        return Failed(StoppedOr(ErrorText(::GetLastError())));
      if (read == 0) break;
      bytes.append(chunk.data(), read);
      if (bytes.size() > config_.PageCap) return Failed(std::wstring(kPageTooLarge));
    }
    if (bytes.empty()) return Failed(step_);
    // Decoded only once every byte is in: a chunk may end inside a multi-byte character.
    return {FetchResult::Kind::Page, PageText(bytes)};
  }

  void SetTimeouts(HINTERNET handle) {
    DWORD connect = config_.ConnectTimeoutMs, send = config_.SendTimeoutMs, receive = config_.ReceiveTimeoutMs;
    DWORD retries = 1;
    WinInet().InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
    WinInet().InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof(retries));
    WinInet().InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &send, sizeof(send));
    WinInet().InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
    WinInet().InternetSetOptionW(handle, INTERNET_OPTION_DATA_SEND_TIMEOUT, &send, sizeof(send));
    WinInet().InternetSetOptionW(handle, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof(receive));
  }

  bool Stopped() const { return (aborting_ && *aborting_) || Clock::now() >= deadline_; }
  std::wstring StopText() const { return std::wstring(aborting_ && *aborting_ ? kAborted : kDeadlineReached); }
  // A call that failed because the watchdog closed its handle reports why the watchdog did.
  std::wstring StoppedOr(std::wstring error) const { return Stopped() ? StopText() : std::move(error); }
  static FetchResult Failed(std::wstring text) { return {FetchResult::Kind::Failed, std::move(text)}; }
  static const wchar_t* NullIfEmpty(const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); }

  const UpdateCheckConfig& config_;
  const std::atomic<bool>* aborting_;
  Clock::time_point deadline_;
  Watchdog watchdog_;
  std::wstring step_;
};

}  // namespace

std::wstring UpdatePageAddress(bool elevated) {
  wchar_t buffer[2048];
  DWORD n = 0;
  if (elevated) {
    DWORD bytes = sizeof(buffer);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kMachineEnvironmentKey, kUpdateUrlVariable,
                       RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, buffer, &bytes) == ERROR_SUCCESS &&
        bytes >= sizeof(wchar_t))
      n = bytes / sizeof(wchar_t) - 1;
  } else {
    n = ::GetEnvironmentVariableW(kUpdateUrlVariable, buffer, ARRAYSIZE(buffer));
  }
  if (n > 0 && n < ARRAYSIZE(buffer)) return NormalizeProductUrl(std::wstring(buffer, n));
  return kUpdatePageUrl;
}

namespace {

UpdateOutcome RunExchange(const UpdateCheckConfig& config, const std::atomic<bool>* aborting) {
  Exchange exchange(config, aborting);
  const std::wstring url = NormalizeProductUrl(config.URL);
  return RunUpdateCheck(url, config.RunningVersion, config.Format, config.Tags,
                        [&](const std::wstring& next) { return exchange.Fetch(next); });
}

// The exchange's state, shared with the caller that may stop waiting for it.
struct PendingExchange {
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  UpdateOutcome outcome;
  std::atomic<bool> giveUp{false};  // the caller left: the watchdog closes everything at once
};

}  // namespace

UpdateOutcome CheckForAnUpdate(const UpdateCheckConfig& config, const std::atomic<bool>* aborting) {
  // Some WinInet builds (Wine's) finish a blocked call only at its time-out even when the watchdog closes its
  // handle, so the caller waits for the exchange only until the deadline or an abort; an exchange left behind ends
  // on its own state within one time-out.
  auto pending = std::make_shared<PendingExchange>();
  try {
    std::thread([pending, config] {
      UpdateOutcome outcome = RunExchange(config, &pending->giveUp);
      std::lock_guard guard(pending->lock);
      pending->outcome = std::move(outcome);
      pending->done = true;
      pending->finished.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return RunExchange(config, aborting);
  }
  constexpr auto kAbortPoll = std::chrono::milliseconds(20);
  const auto deadline = Clock::now() + std::chrono::milliseconds(config.DeadlineMs);
  std::unique_lock guard(pending->lock);
  for (;;) {
    if (pending->done) return pending->outcome;
    const bool aborted = aborting && *aborting;
    if (aborted || Clock::now() >= deadline) {
      pending->giveUp = true;
      UpdateOutcome outcome;
      outcome.RunningVersion = config.RunningVersion;
      outcome.DownloadError = aborted ? kAborted : kDeadlineReached;
      return outcome;
    }
    pending->finished.wait_until(guard, std::min(deadline, Clock::now() + kAbortPoll));
  }
}

struct UpdateCheck::Shared {
  std::mutex lock;
  std::condition_variable idle;
  bool active = false;
  std::atomic<bool> aborting{false};
  Callback onDone;  // cleared when the component goes: a late outcome is dropped
};

UpdateCheck::UpdateCheck() : shared_(std::make_shared<Shared>()) {}

UpdateCheck::~UpdateCheck() {
  Abort();
  WaitIdle(kLeaveWaitMs);
  std::lock_guard guard(shared_->lock);
  shared_->onDone = nullptr;
}

bool UpdateCheck::Start(UpdateCheckConfig config, Callback onDone) {
  {
    std::lock_guard guard(shared_->lock);
    if (shared_->active) return false;
    shared_->active = true;
    shared_->aborting = false;
    shared_->onDone = std::move(onDone);
  }
  try {
    std::thread([shared = shared_, config = std::move(config)] {
      const UpdateOutcome outcome = CheckForAnUpdate(config, &shared->aborting);
      std::lock_guard guard(shared->lock);
      try {
        if (shared->onDone) shared->onDone(outcome);
      } catch (...) {
        // An owner that cannot take the outcome loses it; the worker still ends cleanly.
      }
      shared->onDone = nullptr;
      shared->active = false;
      shared->idle.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    std::lock_guard guard(shared_->lock);
    shared_->active = false;
    shared_->onDone = nullptr;
    return false;
  }
  return true;
}

void UpdateCheck::Abort() { shared_->aborting = true; }

bool UpdateCheck::Active() const {
  std::lock_guard guard(shared_->lock);
  return shared_->active;
}

bool UpdateCheck::WaitIdle(DWORD ms) const {
  std::unique_lock guard(shared_->lock);
  return shared_->idle.wait_for(guard, std::chrono::milliseconds(ms), [&] { return !shared_->active; });
}

}  // namespace vantrel::update
