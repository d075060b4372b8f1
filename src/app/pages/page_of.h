// A page by its index as its own type: for tests and benchmarks, which drive one page's interface. The program
// itself only ever knows Page.
#pragma once

namespace vantrel::app {

template <class P, class Pages>
P& PageOf(Pages& pages, int index) {
  return static_cast<P&>(pages.PageAt(index));
}

}  // namespace vantrel::app
