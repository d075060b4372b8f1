// A sound test executable: runs to the end of main and prints the completion marker.
#include <cstdio>

int main() {
  std::printf("VANTREL-TEST-COMPLETE rc=0\n");
  return 0;
}
