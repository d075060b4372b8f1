// Ends with exit code 0 before the end of main, as a crashed process sometimes does under Wine.
#include <cstdio>
#include <cstdlib>

int main() {
  std::printf("leaving early\n");
  std::fflush(stdout);
  std::_Exit(0);
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  return 0;
}
