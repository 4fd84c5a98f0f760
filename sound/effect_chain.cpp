// The chain of effect units that a sound's effect bits select.
#include <algorithm>

#include "sound/effects.h"

namespace vendrel::sound {

EffectChain::EffectChain(int bits, int sample_rate) : bits_(bits) {
  auto add_if = [&](int bit, std::unique_ptr<EffectUnit> (*make)(int)) {
    if (bits & bit) units_.push_back(make(sample_rate));
  };
  add_if(kEffectChorus, MakeChorus);
  add_if(kEffectEcho, MakeEcho);
  add_if(kEffectFlanger, MakeFlanger);
  add_if(kEffectGargle, MakeGargle);
  add_if(kEffectEqualizer, MakeEqualizer);
  add_if(kEffectReverb, MakeReverb);
  add_if(kEffectCompressor, MakeCompressor);
  add_if(kEffectEqualizer, MakeEqualizer);
  add_if(kEffectDistortion, MakeDistortion);
  add_if(kEffectI3dl2Reverb, MakeI3dl2Reverb);
}

EffectUnit* EffectChain::First(EffectType type) const {
  for (const auto& unit : units_)
    if (unit->type() == type) return unit.get();
  return nullptr;
}

void EffectChain::Process(float* left, float* right, int frames) {
  for (const auto& unit : units_) unit->Process(left, right, frames);
}

uint64_t EffectChain::TailFrames() const {
  uint64_t total = 0;
  for (const auto& unit : units_) {
    uint64_t tail = unit->TailFrames();
    if (tail == kEndlessTail) return kEndlessTail;
    // Units in series: their tails add up.
    total += tail;
  }
  return total;
}

}  // namespace vendrel::sound
