// The splash: shown at once, gone after, out of the way of message boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/frame/splash_window.h"
#include "controls/dpi.h"
#include "controls/message_dialogs.h"

namespace vantrel::app {
namespace {

TEST(Splash, ShowsCentredAtItsSizeAndIsGoneAfterHide) {
  HideSplash();  // safe without a splash
  ShowSplash();
  HWND splash = SplashHandle();
  ASSERT_NE(splash, nullptr);
  EXPECT_TRUE(::IsWindowVisible(splash));
  RECT rc, work;
  ::GetWindowRect(splash, &rc);
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const ui::Dpi dpi = ui::Dpi::ForWindow(splash);
  EXPECT_EQ(rc.right - rc.left, dpi.Scale(434));
  EXPECT_EQ(rc.bottom - rc.top, dpi.Scale(62));
  EXPECT_EQ(rc.left, work.left + (work.right - work.left - (rc.right - rc.left)) / 2);
  ShowSplash();  // a second show reuses the window
  EXPECT_EQ(SplashHandle(), splash);
  HideSplash();
  EXPECT_EQ(SplashHandle(), nullptr);
  EXPECT_FALSE(::IsWindow(splash));
}

TEST(Splash, StepsAsideWhileAMessageBoxIsUp) {
  ShowSplash();
  HWND splash = SplashHandle();
  SuspendSplash(true);
  EXPECT_FALSE(::IsWindowVisible(splash));
  SuspendSplash(false);
  EXPECT_TRUE(::IsWindowVisible(splash));
  HideSplash();
}

}  // namespace
}  // namespace vantrel::app
