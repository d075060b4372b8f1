// The controls around the pages whose visibility follows the active page.
#pragma once

namespace vantrel {

enum class FrameControl {
  bKill, cbProcFilter, pTree, eFilter,
  cbWinFilter, pWinInv, bWinVis, bWinClose,
  bSvcCtrl, bSvcDel, bSvcMan,
  bSendMsg, bSesDiscon, bSesLogoff,
  bDel,
  lOS, lSes,
};
constexpr int kFrameControlCount = static_cast<int>(FrameControl::lSes) + 1;

// Service buttons that act on a row also need a focused row in the services list.
bool FrameControlVisible(FrameControl control, int activePage, bool serviceRowFocused);

}  // namespace vantrel
