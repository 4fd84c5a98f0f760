#include <cstdio>

int main() {
  std::fprintf(stderr, "vrun: not built yet\n");
  return 1;
}
