#include <cstdio>

int main() {
  std::fprintf(stderr, "vpack: not built yet\n");
  return 1;
}
