// Prints the colour of one pixel of a PNG file as #RRGGBB, for game tests
// that check screenshots: png_pixel FILE X Y.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/png.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: png_pixel FILE X Y\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "cannot open %s\n", argv[1]);
    return 1;
  }
  std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  vendrel::platform::PngPixels pixels;
  std::string error;
  if (!vendrel::platform::DecodePng(file, vendrel::platform::PngFormat::Rgba, pixels, error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  if (x < 0 || y < 0 || x >= pixels.width || y >= pixels.height) {
    std::fprintf(stderr, "(%d, %d) is outside the %d by %d image\n", x, y, pixels.width,
                 pixels.height);
    return 1;
  }
  const uint8_t* p = &pixels.bytes[(size_t(y) * size_t(pixels.width) + size_t(x)) * 4];
  std::printf("#%02X%02X%02X\n", p[0], p[1], p[2]);
  return 0;
}
