#include "core/shell/frame_controls.h"

#include "core/shell/pages.h"

namespace vantrel {

bool FrameControlVisible(FrameControl control, int page, bool serviceRowFocused) {
  switch (control) {
    case FrameControl::bKill:
    case FrameControl::cbProcFilter:
    case FrameControl::pTree:
      return page == kPageProcesses;
    case FrameControl::eFilter:
      return page == kPageProcesses || page == kPageServices || page == kPageSessions || page == kPageStartup ||
             page == kPageEnvironment;
    case FrameControl::cbWinFilter:
    case FrameControl::pWinInv:
    case FrameControl::bWinVis:
    case FrameControl::bWinClose:
      return page == kPageWindows;
    case FrameControl::bSvcCtrl:
    case FrameControl::bSvcDel:
      return page == kPageServices && serviceRowFocused;
    case FrameControl::bSvcMan:
      return page == kPageServices;
    case FrameControl::bSendMsg:
    case FrameControl::bSesDiscon:
    case FrameControl::bSesLogoff:
      return page == kPageSessions;
    case FrameControl::bDel:
      return page == kPageStartup;
    case FrameControl::lOS:
    case FrameControl::lSes:
      return page == kPagePerformance;
  }
  return false;
}

}  // namespace vantrel
