/* A 32-bit executable. 64-bit Wine without wine32 "runs" it as a no-op with exit code 0. */
#include <stdio.h>

int main(void) {
  printf("VANTREL-TEST-COMPLETE rc=0\n");
  return 0;
}
