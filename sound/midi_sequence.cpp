#include "sound/midi_sequence.h"

#include <algorithm>

namespace vendrel::sound {

namespace {

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
  bool AtEnd() const { return pos_ >= bytes_.size(); }
  size_t Remaining() const { return bytes_.size() - pos_; }
  bool Byte(uint8_t& out) {
    if (AtEnd()) return false;
    out = bytes_[pos_++];
    return true;
  }
  bool Peek(uint8_t& out) const {
    if (AtEnd()) return false;
    out = bytes_[pos_];
    return true;
  }
  bool BigEndian(int count, uint32_t& out) {
    out = 0;
    for (int i = 0; i < count; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      out = out << 8 | b;
    }
    return true;
  }
  // A variable-length quantity: at most four bytes of seven bits.
  bool VarLen(uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      out = out << 7 | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;
  }
  bool Skip(size_t count) {
    if (count > Remaining()) return false;
    pos_ += count;
    return true;
  }
  std::span<const uint8_t> Take(size_t count) {
    auto part = bytes_.subspan(pos_, std::min(count, Remaining()));
    pos_ += part.size();
    return part;
  }
  bool Tag(const char* tag) {
    if (Remaining() < 4) return false;
    bool match = std::equal(tag, tag + 4, bytes_.begin() + std::ptrdiff_t(pos_));
    pos_ += 4;
    return match;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
};

bool Fail(std::string* error, const char* reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

bool MidiSequence::Parse(std::span<const uint8_t> bytes, std::string* error) {
  events_.clear();
  sysex_.clear();
  end_tick_ = 0;
  Reader file(bytes);
  uint32_t header_length = 0, format = 0, track_count = 0, division = 0;
  if (!file.Tag("MThd") || !file.BigEndian(4, header_length) || header_length < 6)
    return Fail(error, "not a standard MIDI file");
  if (!file.BigEndian(2, format) || !file.BigEndian(2, track_count) || !file.BigEndian(2, division) ||
      !file.Skip(header_length - 6))
    return Fail(error, "damaged MIDI header");
  if (format > 2) return Fail(error, "unknown MIDI file format");
  if (division & 0x8000) {
    int frames = 256 - int(division >> 8);  // the negative SMPTE frame rate
    int per_frame = int(division & 0xFF);
    if (frames <= 0 || per_frame <= 0) return Fail(error, "damaged MIDI time division");
    ticks_per_quarter_ = 0;
    // -29 stands for 29.97 frames per second.
    ticks_per_second_ = (frames == 29 ? 29.97 : double(frames)) * per_frame;
  } else {
    if (division == 0) return Fail(error, "damaged MIDI time division");
    ticks_per_quarter_ = int(division);
  }

  // Format 2 tracks are independent patterns played one after the other.
  uint32_t track_offset = 0;
  for (uint32_t t = 0; t < track_count && !file.AtEnd(); ++t) {
    uint32_t length = 0;
    bool is_track = file.Tag("MTrk");
    if (!file.BigEndian(4, length)) break;
    std::span<const uint8_t> body = file.Take(length);
    if (!is_track) continue;  // unknown chunks are skipped
    Reader track(body);
    uint32_t tick = track_offset;
    uint8_t running = 0;
    while (!track.AtEnd()) {
      uint32_t delta;
      if (!track.VarLen(delta)) break;
      tick += delta;
      uint8_t status;
      if (!track.Peek(status)) break;
      if (status & 0x80) {
        track.Byte(status);
      } else {
        if (running == 0) return Fail(error, "MIDI data without a status byte");
        status = running;
      }
      if (status == 0xFF) {
        uint8_t type;
        uint32_t size;
        if (!track.Byte(type) || !track.VarLen(size)) break;
        std::span<const uint8_t> data = track.Take(size);
        if (type == 0x51 && data.size() == 3) {
          MidiEvent e;
          e.tick = tick;
          e.kind = MidiEvent::Kind::Tempo;
          e.value = uint32_t(data[0]) << 16 | uint32_t(data[1]) << 8 | data[2];
          if (e.value > 0) events_.push_back(e);
        }
        if (type == 0x2F) break;  // end of track
        continue;
      }
      if (status == 0xF0 || status == 0xF7) {
        uint32_t size;
        if (!track.VarLen(size)) break;
        std::span<const uint8_t> data = track.Take(size);
        if (status == 0xF0) {
          size_t n = data.size();
          if (n > 0 && data[n - 1] == 0xF7) --n;
          MidiEvent e;
          e.tick = tick;
          e.kind = MidiEvent::Kind::SysEx;
          e.value = uint32_t(sysex_.size());
          e.length = uint32_t(n);
          sysex_.insert(sysex_.end(), data.begin(), data.begin() + std::ptrdiff_t(n));
          events_.push_back(e);
        }
        running = 0;
        continue;
      }
      if (status >= 0xF0) break;  // system messages do not belong in files
      running = status;
      MidiEvent e;
      e.tick = tick;
      e.status = status;
      if (!track.Byte(e.data1)) break;
      uint8_t type = status & 0xF0;
      if (type != 0xC0 && type != 0xD0 && !track.Byte(e.data2)) break;
      e.data1 &= 0x7F;
      e.data2 &= 0x7F;
      events_.push_back(e);
    }
    end_tick_ = std::max(end_tick_, tick);
    if (format == 2) track_offset = tick;
  }
  if (events_.empty() && end_tick_ == 0) return Fail(error, "the MIDI file holds no events");
  // Stable, so that events of one tick keep their order within a track and
  // tracks their order.
  std::stable_sort(events_.begin(), events_.end(),
                   [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
  return true;
}

}  // namespace vendrel::sound
