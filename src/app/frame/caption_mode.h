// Where the program menu's caption buttons go. Where the desktop composes the frame (Windows 8 and later, or
// composition switched on from 6.2 up) GDI painting into the frame is never shown, so the buttons move into a
// strip at the top of the client area; elsewhere they are painted into the caption.
#pragma once

#include <functional>

#include "controls/caption_toolbar.h"

namespace vantrel::app {

// The system's answer: DwmIsCompositionEnabled (bound at run time) on version 6.2 or later.
bool DesktopComposesFrame();
// `composes` empty: the system's answer.
ui::CaptionToolbar::Mode CaptionModeFor(const std::function<bool()>& composes);

}  // namespace vantrel::app
