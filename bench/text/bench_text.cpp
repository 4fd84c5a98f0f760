// Draws 2,000 short strings per frame with the default font (Arial 12,
// drawn with its metric-compatible stand-in) through the real device and
// presentation, and prints the mean frame time:
//   "vendrel <milliseconds per frame> <frames> <glyph quads per frame>"
// run.sh runs the same frames in LÖVE and prints the ratio.
//
// Usage: bench_text [FRAMES]   (default 100, after 10 frames of warm-up)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "graphics/device.h"
#include "graphics/draw.h"
#include "graphics/text.h"
#include "platform/graphics_device.h"
#include "platform/window.h"

using namespace vendrel;

namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kStrings = 2000;
constexpr int kWarmUp = 10;

// The workload, the same in main.lua: string i is "Item i", drawn at
// ((i mod 40) * 20, (i div 40) * 12).
struct Line {
  std::string text;
  double x, y;
};

std::vector<Line> Workload() {
  std::vector<Line> lines;
  for (int i = 1; i <= kStrings; ++i)
    lines.push_back({"Item " + std::to_string(i), double((i % 40) * 20), double((i / 40) * 12)});
  return lines;
}

void DrawFrame(const std::vector<Line>& lines) {
  graphics::BeginScene();
  graphics::DrawClear(0);
  for (const Line& line : lines) graphics::DrawText(line.x, line.y, line.text);
  graphics::EndFrameAndPresent();
}

}  // namespace

int main(int argc, char** argv) {
  int frames = argc > 1 ? std::atoi(argv[1]) : 100;
  if (frames <= 0) frames = 100;

  std::string error;
  platform::WindowOptions options;
  options.caption = "bench_text";
  options.width = kWidth;
  options.height = kHeight;
  std::unique_ptr<platform::Window> window = platform::Window::Create(options, &error);
  if (!window) {
    std::fprintf(stderr, "bench_text: no window: %s\n", error.c_str());
    return 1;
  }
  if (!graphics::CreateDevice(*window, kWidth, kHeight, false)) {
    std::fprintf(stderr, "bench_text: no drawing device\n");
    return 1;
  }
  graphics::ResetDrawState();
  graphics::ResetTextState();
  graphics::SetDrawColor(0xFFFFFF);

  std::vector<Line> lines = Workload();
  for (int f = 0; f < kWarmUp; ++f) DrawFrame(lines);

  uint64_t batches_before = graphics::Device()->Stats().batches;
  uint64_t calls_before = graphics::Device()->Stats().primitive_calls;
  auto start = std::chrono::steady_clock::now();
  for (int f = 0; f < frames; ++f) DrawFrame(lines);
  auto end = std::chrono::steady_clock::now();
  platform::DeviceStats stats = graphics::Device()->Stats();

  double ms = std::chrono::duration<double, std::milli>(end - start).count() / frames;
  std::printf("vendrel %.3f %d %llu %llu\n", ms, frames,
              static_cast<unsigned long long>((stats.primitive_calls - calls_before) / frames),
              static_cast<unsigned long long>((stats.batches - batches_before) / frames));
  graphics::ResetTextState();
  graphics::DestroyDevice();
  return 0;
}
