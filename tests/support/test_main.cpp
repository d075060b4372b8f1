// Shared test entry point. The last line it prints is the completion marker the Wine runner requires.
#include <cstdio>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  std::printf("VANTREL-TEST-COMPLETE rc=%d\n", rc);
  std::fflush(stdout);
  return rc;
}
