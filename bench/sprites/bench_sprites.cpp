// Draws N copies of a 32x32 sprite with alpha per frame, each at a place
// that changes from frame to frame, through the sprite drawing the game's
// draw_sprite uses (a sprite resource, its texture, DrawImage), the real
// device and presentation, and prints the mean frame time per N:
//   "vendrel <N> <median ms per frame> <processor ms per frame> <frames>
//    <primitive calls per frame> <batches per frame>"
// The median of the frame times (wall clock) shrugs off frames slowed by
// other work on the machine; the processor time of the whole process (the
// renderer's threads included) per frame is the steadier figure to compare
// changes with on a busy machine.
// run.sh runs the same frames in LÖVE and prints the ratios.
//
// Usage: bench_sprites [FRAMES] [N...]   (default 30 frames after 5 of
//                                         warm-up; N 1000 10000 50000)
//        bench_sprites --png FILE        writes the sprite image as a PNG
//                                         file, for LÖVE and the game
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/resource_draw.h"
#include "platform/files.h"
#include "platform/graphics_device.h"
#include "platform/png.h"
#include "platform/window.h"
#include "resources/game_resources.h"
#include "resources/sprite.h"

using namespace vendrel;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kSize = 32;
constexpr int kWarmUp = 5;

// The sprite: a disc with a soft edge, shaded across, transparent around
// it. Pixels are 0xAARRGGBB rows from the top.
std::vector<uint32_t> SpritePixels() {
  std::vector<uint32_t> pixels(size_t(kSize) * kSize);
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      double dx = x + 0.5 - kSize / 2.0, dy = y + 0.5 - kSize / 2.0;
      double edge = (kSize / 2.0 - std::sqrt(dx * dx + dy * dy)) * 64.0;
      uint32_t alpha = uint32_t(std::lround(std::fmin(std::fmax(edge, 0.0), 255.0)));
      uint32_t red = 60 + 6 * uint32_t(x), green = 60 + 6 * uint32_t(y), blue = 220;
      pixels[size_t(y) * kSize + size_t(x)] = (alpha << 24) | (red << 16) | (green << 8) | blue;
    }
  }
  return pixels;
}

int WritePng(const char* path) {
  std::vector<uint32_t> argb = SpritePixels();
  platform::PngPixels png;
  png.width = png.height = kSize;
  for (uint32_t p : argb) {
    png.bytes.push_back(uint8_t(p >> 16));
    png.bytes.push_back(uint8_t(p >> 8));
    png.bytes.push_back(uint8_t(p));
    png.bytes.push_back(uint8_t(p >> 24));
  }
  std::vector<uint8_t> file;
  std::string error;
  if (!platform::EncodePng(png, platform::PngFormat::Rgba, file, error)) {
    std::fprintf(stderr, "bench_sprites: cannot encode the image: %s\n", error.c_str());
    return 1;
  }
  if (!platform::WriteFileAtomically(path, file.data(), file.size())) {
    std::fprintf(stderr, "bench_sprites: cannot write %s\n", path);
    return 1;
  }
  return 0;
}

// The workload, the same in main.lua: in frame f (counted from 0, warm-up
// included) sprite i (from 0) is at
//   ((i * 7919 + f * 13) mod 768, (i * 104729 + f * 7) mod 568).
void DrawFrame(int count, int64_t frame) {
  graphics::BeginScene();
  graphics::DrawClear(0);
  for (int64_t i = 0; i < count; ++i) {
    double x = double((i * 7919 + frame * 13) % 768);
    double y = double((i * 104729 + frame * 7) % 568);
    graphics::DrawImage(graphics::ImageSource::Sprite, 0, 0, x, y);
  }
  graphics::EndFrameAndPresent();
}

// Processor time of the whole process so far, in milliseconds.
double ProcessorMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto ms = [](const timeval& t) { return double(t.tv_sec) * 1000.0 + double(t.tv_usec) / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--png") == 0) return WritePng(argv[2]);
  int frames = argc > 1 ? std::atoi(argv[1]) : 30;
  if (frames <= 0) frames = 30;
  std::vector<int> counts;
  for (int i = 2; i < argc; ++i)
    if (int n = std::atoi(argv[i]); n > 0) counts.push_back(n);
  if (counts.empty()) counts = {1000, 10000, 50000};

  std::string error;
  platform::WindowOptions options;
  options.caption = "bench_sprites";
  options.width = kWidth;
  options.height = kHeight;
  std::unique_ptr<platform::Window> window = platform::Window::Create(options, &error);
  if (!window) {
    std::fprintf(stderr, "bench_sprites: no window: %s\n", error.c_str());
    return 1;
  }
  if (!graphics::CreateDevice(*window, kWidth, kHeight, false)) {
    std::fprintf(stderr, "bench_sprites: no drawing device\n");
    return 1;
  }
  graphics::ResetDrawState();

  auto sprite = std::make_unique<resources::CSprite>();
  sprite->width = sprite->height = kSize;
  sprite->frames.push_back({kSize, kSize, SpritePixels()});
  graphics::BuildSpriteTextures(*sprite);
  resources::Resources().sprites.Set(0, std::move(sprite), "spr_ball");

  for (int count : counts) {
    int64_t frame = 0;
    for (int f = 0; f < kWarmUp; ++f) DrawFrame(count, frame++);
    platform::DeviceStats before = graphics::Device()->Stats();
    std::vector<double> times;
    double processor_start = ProcessorMs();
    for (int f = 0; f < frames; ++f) {
      auto start = std::chrono::steady_clock::now();
      DrawFrame(count, frame++);
      auto end = std::chrono::steady_clock::now();
      times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    double processor = (ProcessorMs() - processor_start) / frames;
    platform::DeviceStats after = graphics::Device()->Stats();
    std::printf("vendrel %d %.3f %.3f %d %llu %llu\n", count, Median(times), processor, frames,
                static_cast<unsigned long long>((after.primitive_calls - before.primitive_calls) /
                                                uint64_t(frames)),
                static_cast<unsigned long long>((after.batches - before.batches) /
                                                uint64_t(frames)));
    std::fflush(stdout);
  }
  if (resources::CSprite* s = resources::Resources().sprites.Get(0))
    graphics::FreeSpriteTextures(*s);
  resources::Resources().sprites.Reset();
  graphics::DestroyDevice();
  return 0;
}
