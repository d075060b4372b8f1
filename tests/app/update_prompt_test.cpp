// The update check at start against a release-page server on 127.0.0.1 inside the test: the prompt for a newer
// release (its text, Yes opening the product page, No doing nothing), no prompt for an equal one, no request at
// all with /NUC, the window answering keys while a server that never answers is asked, and the prompt waiting
// while another modal box has the window disabled.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/frame/main_window.h"
#include "app/program.h"
#include "box_answerer.h"
#include "system/update/web_update.h"

namespace vantrel::app {
namespace {

// A one-port HTTP server: every request gets body, or, when hanging, the connection is accepted and never answered.
class ReleaseServer {
 public:
  ReleaseServer(std::string body, bool hang) : body_(std::move(body)), hang_(hang) {
    WSADATA data;
    ::WSAStartup(MAKEWORD(2, 2), &data);
    listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::listen(listener_, 8);
    int length = sizeof(address);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ::ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ReleaseServer() {
    ::closesocket(listener_);  // ends accept
    thread_.join();
    for (SOCKET s : held_) ::closesocket(s);
    ::WSACleanup();
  }
  std::wstring Url() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/release.html"; }
  int Connections() const { return connections_; }

 private:
  void Serve() {
    for (;;) {
      SOCKET client = ::accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
      ++connections_;
      if (hang_) {
        held_.push_back(client);
        continue;
      }
      std::string request;
      char buffer[1024];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const int n = ::recv(client, buffer, sizeof(buffer), 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                std::to_string(body_.size()) + "\r\n\r\n" + body_;
      ::send(client, reply.data(), static_cast<int>(reply.size()), 0);
      ::shutdown(client, SD_SEND);
      ::closesocket(client);
    }
  }
  std::string body_;
  bool hang_;
  SOCKET listener_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  std::thread thread_;
  std::vector<SOCKET> held_;
  std::atomic<int> connections_{0};
};

std::string ReleasePage(const std::string& version) {
  return "<html><head>\r\n<META NAME=\"QRVName\" CONTENT=\"Vantrel\">\r\n<META NAME=\"QRVVersion\" CONTENT=\"" + version +
         "\">\r\n</head></html>\r\n";
}

struct UpdateFrame {
  std::vector<std::wstring> opened;
  std::unique_ptr<MainWindow> main;
  UpdateFrame(const ReleaseServer& server, std::vector<std::wstring> words = {}) {
    StartupEnvironment env;
    env.isRemoteSession = [] { return false; };
    env.elevationButtonVisible = [] { return false; };
    env.trayShellNotify = [](DWORD, NOTIFYICONDATAW*) { return TRUE; };
    env.programVersion = [] { return std::make_pair(std::wstring(L"1.2.0.0"), std::wstring(L"(c) test")); };
    env.updatePageAddress = [url = server.Url()] { return url; };
    env.openProductPage = [this](HWND, const std::wstring& url) { opened.push_back(url); };
    main = std::make_unique<MainWindow>(CommandLineSwitches(words), env);
    main->refreshExecutor = [](const RefreshStep&) {};
  }
  void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(main.get(), msg);
  }
  // Pumps until done() or about ten seconds.
  template <typename Done>
  bool PumpUntil(Done done) {
    for (int i = 0; i < 1000 && !done(); ++i) {
      Pump();
      ::Sleep(10);
    }
    return done();
  }
};

TEST(UpdatePromptTest, NewerReleaseAsksOnceAndYesOpensTheProductPageOnly) {
  for (const int button : {IDYES, IDNO}) {
    SCOPED_TRACE(button == IDYES ? "yes" : "no");
    ReleaseServer server(ReleasePage("9.0.0.0"), false);
    UpdateFrame f(server);
    ASSERT_TRUE(f.main->CreateAndStart());
    ASSERT_NE(f.main->Updates(), nullptr);
    BoxAnswerer answer(button);
    ASSERT_TRUE(f.PumpUntil([&] { return f.main->Updates()->Prompted() && answer.found; }));
    f.Pump();
    EXPECT_EQ(answer.seen.caption, L"Vantrel");
    EXPECT_EQ(answer.seen.text, L"新的 9.0.0.0 版本可用。\r\n你想下载它吗?");
    EXPECT_TRUE(answer.seen.hasYes && answer.seen.hasNo);
    if (button == IDYES) EXPECT_EQ(f.opened, std::vector<std::wstring>{update::kProductPageUrl});
    else EXPECT_TRUE(f.opened.empty());
    EXPECT_EQ(server.Connections(), 1);
  }
}

TEST(UpdatePromptTest, EqualOrOlderReleaseShowsNothing) {
  for (const char* version : {"1.2.0.0", "1.1.9.9"}) {
    SCOPED_TRACE(version);
    ReleaseServer server(ReleasePage(version), false);
    UpdateFrame f(server);
    ASSERT_TRUE(f.main->CreateAndStart());
    ASSERT_TRUE(f.PumpUntil([&] { return f.main->Updates()->HasOutcome(); }));
    f.Pump();
    EXPECT_NE(f.main->Updates()->Outcome().Verdict, update::UpdateVerdict::Newer);
    EXPECT_NE(f.main->Updates()->Outcome().Verdict, update::UpdateVerdict::Error);
    EXPECT_FALSE(f.main->Updates()->Prompted());
    EXPECT_TRUE(f.opened.empty());
  }
}

TEST(UpdatePromptTest, NoUpdateCheckSwitchMakesNoRequest) {
  ReleaseServer server(ReleasePage("9.0.0.0"), false);
  UpdateFrame f(server, {L"/NUC"});
  ASSERT_TRUE(f.main->CreateAndStart());
  EXPECT_EQ(f.main->Updates(), nullptr);
  for (int i = 0; i < 30; ++i) {
    f.Pump();
    ::Sleep(10);
  }
  EXPECT_EQ(server.Connections(), 0);
}

TEST(UpdatePromptTest, WindowAnswersKeysWhileTheServerNeverAnswers) {
  ReleaseServer server("", true);
  UpdateFrame f(server);
  ASSERT_TRUE(f.main->CreateAndStart());
  ASSERT_TRUE(f.PumpUntil([&] { return server.Connections() > 0; }));
  HWND edit = f.main->NameFilter().editHwnd();
  for (wchar_t c : std::wstring(L"note")) {
    MSG msg{edit, WM_CHAR, c, 1, 0, {}};
    DispatchProgramMessage(f.main.get(), msg);
  }
  f.Pump();
  EXPECT_EQ(f.main->NameFilter().Text(), L"note");
  // The keys were handled while the exchange was still waiting for the server.
  EXPECT_TRUE(f.main->Updates()->Checking());
  EXPECT_FALSE(f.main->Updates()->HasOutcome());
}

TEST(UpdatePromptTest, PromptWaitsWhileAnotherModalBoxDisablesTheWindow) {
  ReleaseServer server(ReleasePage("9.0.0.0"), false);
  UpdateFrame f(server);
  ASSERT_TRUE(f.main->CreateAndStart());
  // What a modal box owned by the window does to it.
  ::EnableWindow(f.main->hwnd(), FALSE);
  ASSERT_TRUE(f.PumpUntil([&] { return f.main->Updates()->HasOutcome(); }));
  for (int i = 0; i < 50; ++i) {
    f.Pump();
    ::Sleep(10);
  }
  EXPECT_FALSE(f.main->Updates()->Prompted());
  ::EnableWindow(f.main->hwnd(), TRUE);
  BoxAnswerer answer(IDNO);
  ASSERT_TRUE(f.PumpUntil([&] { return f.main->Updates()->Prompted() && answer.found; }));
  f.Pump();
  EXPECT_EQ(answer.seen.text, L"新的 9.0.0.0 版本可用。\r\n你想下载它吗?");
}

}  // namespace
}  // namespace vantrel::app
