#include "platform/Version.h"

#include <cstdio>

int main(int, char**) {
  std::printf("tarnwick %s\n", tarnwick::kToolVersion);
  return 0;
}
