// The engine on a real audio thread: SDL's dummy driver pulls frames at
// the pace of a sound card without making any sound.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "sound/sound_engine.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

// Waits (at most 20 seconds) until [done] holds; the engine is polled so
// that it collects what the audio thread hands back.
template <class Done>
bool WaitFor(SoundEngine& engine, Done done) {
  for (int i = 0; i < 2000; ++i) {
    engine.RenderStep(60);
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(Device, SoundsPlayOutOnTheAudioThread) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SoundEngine engine(kRate);
  std::string error;
  ASSERT_TRUE(engine.OpenDevice(&error)) << error;
  EXPECT_TRUE(engine.DeviceOpen());
  int s = engine.LoadFromMemory(FloatWav(Constant(kRate / 10, 0.5f)), ".wav", 0);
  engine.Play(s, false);
  EXPECT_TRUE(engine.IsPlaying(s));
  EXPECT_TRUE(WaitFor(engine, [&] { return !engine.IsPlaying(s); }));
  EXPECT_GE(engine.FramesRendered(), uint64_t(kRate / 10));

  // Freeing entries, and changing effects, while the audio thread uses them.
  for (int round = 0; round < 50; ++round) {
    int a = engine.LoadFromMemory(FloatWav(Constant(1000, 0.1f)), ".wav", round % 3);
    engine.Play(a, true);
    engine.SetEffects(a, kEffectEcho | kEffectReverb);
    engine.SetEffects(a, kEffectChorus);
    engine.SetVolume(a, 100, 0.5);
    if (round % 2) engine.Free(a);
  }
  uint64_t before = engine.FramesRendered();
  EXPECT_TRUE(WaitFor(engine, [&] { return engine.FramesRendered() > before + 4096; }));
  engine.FreeAll();
  engine.CloseDevice();
  EXPECT_FALSE(engine.DeviceOpen());
  // Without the device the engine renders on this thread again.
  int b = engine.LoadFromMemory(FloatWav(Constant(100, 0.25f)), ".wav", 0);
  engine.Play(b, false);
  EXPECT_EQ(RenderFrames(engine, 10).L(5), 0.25f);
}

}  // namespace
}  // namespace vendrel::sound
