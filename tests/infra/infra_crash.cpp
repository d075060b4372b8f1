// Crashes with an access violation before the end of main.
#include <cstdio>

int main() {
  std::printf("about to crash\n");
  std::fflush(stdout);
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  return 0;
}
