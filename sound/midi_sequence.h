// Standard MIDI files parsed into one time-ordered list of events, which
// the mixer plays through a synthesizer.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vendrel::sound {

struct MidiEvent {
  enum class Kind : uint8_t { Channel, SysEx, Tempo };
  uint32_t tick = 0;
  Kind kind = Kind::Channel;
  uint8_t status = 0;  // Channel: status byte with channel
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  // Tempo: microseconds per quarter note. SysEx: offset into sysex().
  uint32_t value = 0;
  uint32_t length = 0;  // SysEx: bytes, without the 0xF0 and 0xF7
};

class MidiSequence {
 public:
  // Parses a standard MIDI file (formats 0, 1 and 2; tracks are merged).
  // Returns false with a reason in [error] for a damaged file.
  bool Parse(std::span<const uint8_t> bytes, std::string* error);

  const std::vector<MidiEvent>& events() const { return events_; }
  const std::vector<uint8_t>& sysex() const { return sysex_; }
  // Ticks per quarter note (metrical time), or 0 with ticks_per_second()
  // for SMPTE time.
  int ticks_per_quarter() const { return ticks_per_quarter_; }
  double ticks_per_second() const { return ticks_per_second_; }
  // The tick at which the longest track ends: the length of one pass.
  uint32_t end_tick() const { return end_tick_; }

 private:
  std::vector<MidiEvent> events_;
  std::vector<uint8_t> sysex_;
  int ticks_per_quarter_ = 0;
  double ticks_per_second_ = 0;
  uint32_t end_tick_ = 0;
};

}  // namespace vendrel::sound
