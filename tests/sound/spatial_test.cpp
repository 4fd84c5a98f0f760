// 3D sounds: distance attenuation, direction, cones, Doppler shift and the
// listener.
#include <gtest/gtest.h>

#include <cmath>

#include "sound/sound_engine.h"
#include "sound_test_support.h"

namespace vendrel::sound {
namespace {

using namespace testing;

struct Heard {
  double left, right;
};

// The level of a constant 0.5 3D sound on each side after the engine has
// placed it with [place].
template <class Place>
Heard Hear(Place place, int kind = 2) {
  SoundEngine engine(kRate);
  int s = engine.LoadFromMemory(FloatWav(Constant(1000, 0.5f)), ".wav", kind);
  place(engine, s);
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, 100);
  return {out.L(50) / 0.5, out.R(50) / 0.5};
}

TEST(Spatial, DistanceHalvesTheLevelPerDoubling) {
  struct Case {
    double z, min, max;
    double gain;
  };
  const Case cases[] = {
      {0.5, 1, 100, 1.0},    // inside the minimum distance: full level
      {1, 1, 100, 1.0},
      {2, 1, 100, 0.5},      // -6 dB per doubling
      {8, 1, 100, 0.125},
      {8, 2, 100, 0.25},     // a larger minimum distance
      {50, 1, 10, 0.1},      // no further fall beyond the maximum
  };
  for (const Case& c : cases) {
    Heard h = Hear([&](SoundEngine& e, int s) {
      e.SetDistance3D(s, c.min, c.max);
      e.SetPosition3D(s, {0, 0, c.z});
    });
    EXPECT_NEAR(h.left, c.gain, 1e-5) << c.z;
    EXPECT_NEAR(h.right, c.gain, 1e-5) << c.z;
  }
}

TEST(Spatial, DirectionSetsTheBalance) {
  Heard right = Hear([](SoundEngine& e, int s) { e.SetPosition3D(s, {1, 0, 0}); });
  EXPECT_NEAR(right.right, 1.0, 1e-5);
  EXPECT_NEAR(right.left, 0.0, 1e-5);
  Heard left = Hear([](SoundEngine& e, int s) { e.SetPosition3D(s, {-1, 0, 0}); });
  EXPECT_NEAR(left.left, 1.0, 1e-5);
  EXPECT_NEAR(left.right, 0.0, 1e-5);
  Heard ahead_right = Hear([](SoundEngine& e, int s) { e.SetPosition3D(s, {0.6, 0, 0.8}); });
  EXPECT_NEAR(ahead_right.right, 1.0, 1e-5);
  EXPECT_GT(ahead_right.left, 0.3);
  EXPECT_LT(ahead_right.left, 0.9);
  // Behind is heard like in front (no head shadow).
  Heard behind = Hear([](SoundEngine& e, int s) { e.SetPosition3D(s, {0, 0, -1}); });
  EXPECT_NEAR(behind.left, 1.0, 1e-5);
  EXPECT_NEAR(behind.right, 1.0, 1e-5);
}

TEST(Spatial, StereoSourcesAreHeardFromOnePoint) {
  SoundEngine engine(kRate);
  std::vector<float> frames;
  for (int i = 0; i < 100; ++i) frames.insert(frames.end(), {0.5f, 0.0f});
  int s = engine.LoadFromMemory(FloatWav(frames, 2), ".wav", 2);
  engine.SetPosition3D(s, {-1, 0, 0});
  engine.Play(s, false);
  Stereo out = RenderFrames(engine, 10);
  EXPECT_NEAR(out.L(5), 0.25, 1e-6);
  EXPECT_NEAR(out.R(5), 0.0, 1e-6);
}

TEST(Spatial, ConeAttenuatesOutsideItsAngles) {
  // The source at z = 1 points along [direction]; the listener is at the origin.
  struct Case {
    Vec3 direction;
    double gain;
  };
  const double outside = std::pow(10.0, -2000 / 2000.0);  // outside volume 0.8: -2000
  const Case cases[] = {
      {{0, 0, -1}, 1.0},          // straight at the listener
      {{0, 0, 1}, outside},       // away
      {{1, 0, 0}, std::sqrt(outside)},  // 90 degrees: half way from 60 to 120 in decibels
      {{0.5, 0, -0.866}, 1.0},    // 30 degrees: inside the 60 degree half angle
  };
  for (const Case& c : cases) {
    Heard h = Hear([&](SoundEngine& e, int s) {
      e.SetPosition3D(s, {0, 0, 1});
      e.SetCone3D(s, c.direction, 120, 240, 0.8);
    });
    EXPECT_NEAR(h.left, c.gain, 2e-3) << c.direction.x << "," << c.direction.z;
  }
}

TEST(Spatial, ApproachingSourcesSoundHigher) {
  struct Case {
    Vec3 velocity;
    double factor;
  };
  const double c = 343.3;
  for (const Case& k : {Case{{0, 0, -34.33}, c / (c - 34.33)}, Case{{0, 0, 34.33}, c / (c + 34.33)},
                        Case{{10, 0, 0}, 1.0}}) {
    SoundEngine engine(kRate);
    int s = engine.LoadFromMemory(FloatWav(Sine(kRate, 441, 0.5f)), ".wav", 2);
    engine.SetPosition3D(s, {0, 0, 1});
    engine.SetVelocity3D(s, k.velocity);
    engine.Play(s, false);
    std::vector<float> left = RenderFrames(engine, kRate / 2).Left();
    EXPECT_NEAR(ZeroCrossingFrequency(left, 0, kRate / 2), 441 * k.factor, 0.5) << k.velocity.z;
  }
}

TEST(Spatial, ListenerMovesAndTurns) {
  // The listener turned to face +x: a source at +x is straight ahead, one
  // at +z is on the left.
  auto turned = [](SoundEngine& e) {
    Listener3D l;
    l.front = {1, 0, 0};
    e.SetListener(l);
  };
  Heard ahead = Hear([&](SoundEngine& e, int s) {
    turned(e);
    e.SetPosition3D(s, {1, 0, 0});
  });
  EXPECT_NEAR(ahead.left, 1.0, 1e-5);
  EXPECT_NEAR(ahead.right, 1.0, 1e-5);
  Heard side = Hear([&](SoundEngine& e, int s) {
    turned(e);
    e.SetPosition3D(s, {0, 0, 1});
  });
  EXPECT_NEAR(side.left, 1.0, 1e-5);
  EXPECT_NEAR(side.right, 0.0, 1e-5);
  Heard moved = Hear([](SoundEngine& e, int s) {
    Listener3D l;
    l.position = {0, 0, -3};
    e.SetListener(l);
    e.SetPosition3D(s, {0, 0, 1});
  });
  EXPECT_NEAR(moved.left, 0.25, 1e-5);
  // Rolloff 2 falls twice as steeply; the distance factor (metres per
  // unit) does not change the fall, which counts in units.
  Heard steep = Hear([](SoundEngine& e, int s) {
    Listener3D l;
    l.rolloff_factor = 2;
    l.distance_factor = 10;
    e.SetListener(l);
    e.SetPosition3D(s, {0, 0, 2});
  });
  EXPECT_NEAR(steep.left, 0.25, 1e-5);
}

TEST(Spatial, DistanceFactorAndDopplerFactorScaleTheShift) {
  struct Case {
    double distance_factor, doppler_factor;
  };
  const double c = 343.3;
  for (const Case k : {Case{10, 1}, Case{1, 10}, Case{1, 0}}) {
    SoundEngine engine(kRate);
    Listener3D l;
    l.distance_factor = k.distance_factor;
    l.doppler_factor = k.doppler_factor;
    engine.SetListener(l);
    int s = engine.LoadFromMemory(FloatWav(Sine(kRate, 441, 0.5f)), ".wav", 2);
    engine.SetPosition3D(s, {0, 0, 1});
    engine.SetVelocity3D(s, {0, 0, -3.433});  // approaching
    engine.Play(s, false);
    std::vector<float> left = RenderFrames(engine, kRate / 2).Left();
    double v = 3.433 * k.distance_factor * k.doppler_factor;
    EXPECT_NEAR(ZeroCrossingFrequency(left, 0, kRate / 2), 441 * c / (c - v), 0.5)
        << k.distance_factor << " " << k.doppler_factor;
  }
}

TEST(Spatial, ThreeDCallsActOnThreeDSoundsOnly) {
  Heard normal = Hear([](SoundEngine& e, int s) { e.SetPosition3D(s, {8, 0, 0}); }, 0);
  EXPECT_NEAR(normal.left, 1.0, 1e-6);
  EXPECT_NEAR(normal.right, 1.0, 1e-6);
  // A 3D sound takes its balance from its place, not from the pan.
  Heard panned = Hear([](SoundEngine& e, int s) { e.SetPan(s, -1); });
  EXPECT_NEAR(panned.right, 1.0, 1e-6);
}

}  // namespace
}  // namespace vendrel::sound
