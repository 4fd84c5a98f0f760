#include "sound/mixer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace vendrel::sound {

namespace {

constexpr size_t kCommandCapacity = 8192;
constexpr size_t kRetiredCapacity = 8192;
constexpr int kMidiSlice = 64;  // MIDI events take effect on these boundaries
constexpr double kSpeedOfSound = 343.3;
constexpr double kLn10Over2000 = 2.302585092994046 / 2000.0;

// Flushes denormal floats to zero while it lives: reverb and filter tails
// would otherwise slow the audio thread down as they fade.
class DenormalGuard {
 public:
  DenormalGuard() {
#if defined(__SSE__)
    saved_ = _mm_getcsr();
    _mm_setcsr(saved_ | 0x8040);  // flush to zero, denormals are zero
#endif
  }
  ~DenormalGuard() {
#if defined(__SSE__)
    _mm_setcsr(saved_);
#endif
  }
  DenormalGuard(const DenormalGuard&) = delete;
  DenormalGuard& operator=(const DenormalGuard&) = delete;

 private:
  unsigned saved_ = 0;
};

double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Sub(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
Vec3 Scale(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }

// 4-point cubic Hermite interpolation; gives y0 exactly at t = 0.
inline float Hermite(float ym1, float y0, float y1, float y2, float t) {
  float c1 = 0.5f * (y1 - ym1);
  float c2 = ym1 - 2.5f * y0 + 2.0f * y1 - 0.5f * y2;
  float c3 = 0.5f * (y2 - ym1) + 1.5f * (y0 - y1);
  return ((c3 * t + c2) * t + c1) * t + y0;
}

}  // namespace

Mixer::Mixer(int sample_rate)
    : rate_(sample_rate),
      commands_(kCommandCapacity),
      retired_(kRetiredCapacity),
      player_(BusKind::Player, nullptr) {}

Mixer::~Mixer() = default;

void* Mixer::TakeRetired() {
  void* object = nullptr;
  return retired_.TryPop(object) ? object : nullptr;
}

void Mixer::ApplyCommands() {
  while (const MixCommand* command = commands_.Peek()) {
    if (!Apply(*command)) break;  // the retired queue is full: go on next time
    commands_.Pop();
  }
}

void Mixer::Activate(Bus* bus) {
  if (bus->active_) return;
  bus->active_ = true;
  bus->quiet_frames_ = 0;
  bus->next_active_ = active_;
  active_ = bus;
}

bool Mixer::Apply(const MixCommand& c) {
  Bus* bus = c.bus;
  using Op = MixCommand::Op;
  // An object goes back to the game thread only once the mixer is done
  // with it, as the game thread may delete it at once; so there must be
  // room to send it back before the command starts.
  bool returns_object = c.op == Op::RemoveBus || c.op == Op::RetireData || c.op == Op::SetChain;
  if (returns_object && retired_.Full()) return false;
  switch (c.op) {
    case Op::RemoveBus: {
      StopVoicesOf(bus);
      for (Bus** link = &active_; *link; link = &(*link)->next_active_) {
        if (*link == bus) {
          *link = bus->next_active_;
          break;
        }
      }
      bus->active_ = false;
      retired_.TryPush(bus);
      break;
    }
    case Op::Play:
      if (bus->kind_ == BusKind::Music) {
        // Background music: the new piece replaces whatever music plays.
        for (Voice& voice : voices_)
          if (voice.bus && voice.bus->kind_ == BusKind::Music) EndVoice(voice, true);
      }
      StartVoice(bus, c.flag);
      break;
    case Op::Stop:
      StopVoicesOf(bus);
      break;
    case Op::SetVolume:
      // A fade in progress continues from the level it has reached.
      bus->ramp_from_ = LevelAt(bus, now_);
      bus->target_mb_ = c.value[0];
      bus->ramp_start_ = now_;
      bus->ramp_end_ = now_ + uint64_t(std::max<int64_t>(c.count, 0));
      break;
    case Op::SetPan:
      bus->pan_left_ = float(c.value[0]);
      bus->pan_right_ = float(c.value[1]);
      break;
    case Op::SetFrequency:
      bus->frequency_ = c.value[0];
      break;
    case Op::SetMasterGain:
      master_gain_ = float(c.value[0]);
      break;
    case Op::SetTempo:
      tempo_ = c.value[0];
      break;
    case Op::SetChain: {
      EffectChain* old = bus->chain_;
      bus->chain_ = static_cast<EffectChain*>(c.object);
      if (old) retired_.TryPush(old);
      break;
    }
    case Op::SetEffectParams:
      if (bus->chain_)
        if (EffectUnit* unit = bus->chain_->First(c.effect)) unit->SetParams(c.params);
      break;
    case Op::SetPosition:
      bus->source_.position = {c.value[0], c.value[1], c.value[2]};
      break;
    case Op::SetVelocity:
      bus->source_.velocity = {c.value[0], c.value[1], c.value[2]};
      break;
    case Op::SetDistance:
      bus->source_.min_distance = c.value[0];
      bus->source_.max_distance = c.value[1];
      break;
    case Op::SetCone:
      bus->source_.cone_orientation = {c.value[0], c.value[1], c.value[2]};
      bus->source_.inside_angle = c.value[3];
      bus->source_.outside_angle = c.value[4];
      bus->source_.outside_volume = c.value[5];
      break;
    case Op::SetListener:
      listener_ = c.listener;
      break;
    case Op::PlayerPlay:
      StopVoicesOf(&player_);
      if (player_.data_ && player_.data_->IsMidi()) player_.data_->synth->AllSoundsOff();
      player_.data_ = static_cast<const SoundData*>(c.object);
      StartVoice(&player_, c.flag);
      break;
    case Op::PlayerStop:
      StopVoicesOf(&player_);
      if (player_.data_ && player_.data_->IsMidi()) player_.data_->synth->AllSoundsOff();
      break;
    case Op::RetireData:
      if (player_.data_ == c.object) {
        StopVoicesOf(&player_);
        player_.data_ = nullptr;
      }
      retired_.TryPush(c.object);
      break;
  }
  return true;
}

void Mixer::StartVoice(Bus* bus, bool loop) {
  const SoundData* data = bus->data_;
  bool playable = data && (data->IsMidi() ? data->midi.end_tick() > 0 || !data->midi.events().empty()
                                          : data->pcm.Frames() > 0);
  if (!playable) {
    bus->ended_.fetch_add(1, std::memory_order_release);
    return;
  }
  Voice* slot = nullptr;
  for (Voice& voice : voices_)
    if (!voice.bus) {
      slot = &voice;
      break;
    }
  if (!slot) {
    // Every voice is busy: the oldest one gives way.
    slot = &voices_[0];
    for (Voice& voice : voices_)
      if (voice.serial < slot->serial) slot = &voice;
    EndVoice(*slot, true);
  }
  if (data->IsMidi()) {
    bool shared = false;
    for (const Voice& voice : voices_)
      if (voice.bus == bus) shared = true;
    // A piece starting alone on its synthesizer starts from power-on state.
    if (!shared) data->synth->Reset();
  }
  *slot = Voice{};
  slot->bus = bus;
  slot->loop = loop;
  slot->serial = next_serial_++;
  ++bus->voices_;
  Activate(bus);
}

void Mixer::EndVoice(Voice& voice, bool release_notes) {
  Bus* bus = voice.bus;
  if (!bus) return;
  if (release_notes && bus->data_ && bus->data_->IsMidi()) {
    platform::MidiSynth& synth = *bus->data_->synth;
    for (int word = 0; word < 32; ++word) {
      for (uint64_t bits = voice.held[word]; bits; bits &= bits - 1) {
        int index = word * 64 + std::countr_zero(bits);
        synth.Send(uint8_t(0x80 | (index >> 7)), uint8_t(index & 0x7F), 0);
      }
    }
  }
  voice.bus = nullptr;
  --bus->voices_;
  bus->ended_.fetch_add(1, std::memory_order_release);
}

void Mixer::StopVoicesOf(Bus* bus) {
  for (Voice& voice : voices_)
    if (voice.bus == bus) EndVoice(voice, true);
}

void Mixer::Render(float* out, int frames) {
  DenormalGuard guard;
  ApplyCommands();
  int done = 0;
  while (done < frames) {
    int n = std::min(kMixBlock, frames - done);
    RenderBlock(mix_left_, mix_right_, n);
    float* o = out + 2 * size_t(done);
    for (int i = 0; i < n; ++i) {
      o[2 * i] = std::clamp(mix_left_[i], -1.0f, 1.0f);
      o[2 * i + 1] = std::clamp(mix_right_[i], -1.0f, 1.0f);
    }
    done += n;
  }
}

void Mixer::RenderBlock(float* left, float* right, int frames) {
  std::memset(left, 0, sizeof(float) * size_t(frames));
  std::memset(right, 0, sizeof(float) * size_t(frames));

  for (Bus* bus = active_; bus; bus = bus->next_active_) {
    std::memset(bus->left_, 0, sizeof(float) * size_t(frames));
    std::memset(bus->right_, 0, sizeof(float) * size_t(frames));
    if (bus->kind_ == BusKind::Spatial) PlaceSpatial(bus);
  }
  for (Voice& voice : voices_)
    if (voice.bus && voice.bus->data_ && !voice.bus->data_->IsMidi()) MixPcmVoice(voice, frames);

  for (Bus** link = &active_; *link;) {
    Bus* bus = *link;
    bool had_input = bus->voices_ > 0;
    if (bus->data_ && bus->data_->IsMidi() && (bus->voices_ > 0 || bus->data_->synth->Sounding())) {
      RunMidiBus(bus, frames);
      had_input = true;
    }
    FinishBus(bus, left, right, frames, bus->kind_ != BusKind::Player);
    bus->quiet_frames_ = had_input ? 0 : bus->quiet_frames_ + uint64_t(frames);
    uint64_t tail = bus->chain_ ? bus->chain_->TailFrames() : 0;
    if (bus->voices_ == 0 && !had_input && bus->quiet_frames_ > tail) {
      bus->active_ = false;
      *link = bus->next_active_;
    } else {
      link = &bus->next_active_;
    }
  }
  now_ += uint64_t(frames);
  frames_rendered_.store(now_, std::memory_order_release);
}

void Mixer::MixPcmVoice(Voice& voice, int frames) {
  Bus* bus = voice.bus;
  const platform::DecodedAudio& pcm = bus->data_->pcm;
  const int64_t length = int64_t(pcm.Frames());
  const int channels = pcm.channels;
  const float* samples = pcm.samples.data();
  double step = double(pcm.sample_rate) / rate_ * bus->frequency_ * bus->doppler_;
  if (!(step > 0)) step = 0;
  step = std::min(step, 64.0);
  auto sample = [&](int64_t index, int channel) -> float {
    if (index >= length) {
      if (!voice.loop) return 0.0f;
      index %= length;
    }
    if (index < 0) return voice.loop ? samples[size_t(length - 1) * size_t(channels) + size_t(channel)] : 0.0f;
    return samples[size_t(index) * size_t(channels) + size_t(channel)];
  };
  for (int i = 0; i < frames; ++i) {
    if (voice.position >= double(length)) {
      if (!voice.loop) {
        EndVoice(voice, false);
        return;
      }
      voice.position = std::fmod(voice.position, double(length));
    }
    int64_t index = int64_t(voice.position);
    float t = float(voice.position - double(index));
    float l, r;
    if (t == 0.0f) {
      l = samples[size_t(index) * size_t(channels)];
      r = channels > 1 ? samples[size_t(index) * size_t(channels) + 1] : l;
    } else {
      l = Hermite(sample(index - 1, 0), sample(index, 0), sample(index + 1, 0), sample(index + 2, 0), t);
      r = channels > 1 ? Hermite(sample(index - 1, 1), sample(index, 1), sample(index + 1, 1),
                                 sample(index + 2, 1), t)
                       : l;
    }
    bus->left_[i] += l;
    bus->right_[i] += r;
    voice.position += step;
  }
  if (voice.position >= double(length) && !voice.loop) EndVoice(voice, false);
}

void Mixer::SendMidi(Voice& voice, platform::MidiSynth& synth, const MidiEvent& event,
                     const MidiSequence& sequence) {
  switch (event.kind) {
    case MidiEvent::Kind::Tempo:
      voice.us_per_quarter = event.value;
      break;
    case MidiEvent::Kind::SysEx:
      synth.SendSysEx(sequence.sysex().data() + event.value, int(event.length));
      break;
    case MidiEvent::Kind::Channel: {
      uint8_t type = event.status & 0xF0;
      int index = (event.status & 0x0F) * 128 + event.data1;
      uint64_t bit = uint64_t(1) << (index & 63);
      if (type == 0x90 && event.data2 > 0) {
        voice.held[index >> 6] |= bit;
      } else if (type == 0x80 || type == 0x90) {
        voice.held[index >> 6] &= ~bit;
      }
      synth.Send(event.status, event.data1, event.data2);
      break;
    }
  }
}

// Moves a MIDI cursor [frames] frames on, sending the events it passes.
// Returns false when a piece that does not loop has ended.
bool Mixer::AdvanceMidi(Voice& voice, const SoundData& data, int frames) {
  const MidiSequence& sequence = data.midi;
  const std::vector<MidiEvent>& events = sequence.events();
  platform::MidiSynth& synth = *data.synth;
  const double end = double(sequence.end_tick());
  double left = frames;
  for (int guard = 0; guard < 1 << 20; ++guard) {
    double ticks_per_frame =
        (sequence.ticks_per_quarter() > 0
             ? sequence.ticks_per_quarter() * 1e6 / voice.us_per_quarter
             : sequence.ticks_per_second()) *
        tempo_ / rate_;
    double next = voice.next_event < events.size() ? std::min<double>(events[voice.next_event].tick, end) : end;
    double needed = ticks_per_frame > 0 ? (next - voice.tick) / ticks_per_frame : 1e300;
    // (A millionth of a frame absorbs the rounding of the tick arithmetic.)
    if (needed > left + 1e-6) {
      voice.tick += left * ticks_per_frame;
      return true;
    }
    left -= std::max(needed, 0.0);
    voice.tick = next;
    while (voice.next_event < events.size() && events[voice.next_event].tick <= voice.tick)
      SendMidi(voice, synth, events[voice.next_event++], sequence);
    if (voice.next_event >= events.size() && voice.tick >= end) {
      if (!voice.loop || end <= 0) return false;
      // Round again from the top; held notes were released by the piece.
      voice.next_event = 0;
      voice.tick = 0;
      voice.us_per_quarter = 500000;
    }
  }
  return true;
}

void Mixer::RunMidiBus(Bus* bus, int frames) {
  const SoundData& data = *bus->data_;
  for (int offset = 0; offset < frames; offset += kMidiSlice) {
    int n = std::min(kMidiSlice, frames - offset);
    for (Voice& voice : voices_)
      if (voice.bus == bus && !AdvanceMidi(voice, data, n)) EndVoice(voice, true);
    data.synth->Render(synth_left_, synth_right_, n);
    for (int i = 0; i < n; ++i) {
      bus->left_[offset + i] += synth_left_[i];
      bus->right_[offset + i] += synth_right_[i];
    }
  }
}

// Gains and pitch factor of a 3D sound for the coming block: distance
// attenuation between the minimum and maximum distance, the cone, the
// direction as left/right balance, and the Doppler shift.
void Mixer::PlaceSpatial(Bus* bus) {
  const Source3D& s = bus->source_;
  const Listener3D& l = listener_;
  Vec3 offset = Sub(s.position, l.position);
  double distance = Length(offset);

  double min_distance = std::max(s.min_distance, 1e-6);
  double clamped = std::clamp(distance, min_distance, std::max(s.max_distance, min_distance));
  double gain = std::pow(min_distance / clamped, l.rolloff_factor);

  if (distance > 1e-9 && (s.inside_angle < 360 || s.outside_angle < 360)) {
    double orientation_length = Length(s.cone_orientation);
    if (orientation_length > 1e-12) {
      // Angle between where the source points and where the listener is.
      double c = -Dot(offset, s.cone_orientation) / (distance * orientation_length);
      double angle = std::acos(std::clamp(c, -1.0, 1.0)) * 180.0 / 3.141592653589793;
      double inside = s.inside_angle / 2, outside = std::max(s.outside_angle / 2, inside);
      double mb = 0;
      if (angle >= outside)
        mb = s.outside_volume;
      else if (angle > inside)
        mb = s.outside_volume * (angle - inside) / (outside - inside);
      gain *= std::exp(mb * kLn10Over2000);
    }
  }

  double balance = 0;  // -1 left .. 1 right
  if (distance > 1e-9) {
    Vec3 front = l.front, top = l.top;
    Vec3 right = Cross(top, front);
    double right_length = Length(right);
    if (right_length > 1e-12) balance = Dot(offset, right) / (right_length * distance);
  }
  // Equal power across the field, 0 dB on each side straight ahead.
  double theta = (balance + 1) * 3.141592653589793 / 4;
  bus->spatial_left_ = float(gain * std::min(1.0, std::sqrt(2.0) * std::cos(theta)));
  bus->spatial_right_ = float(gain * std::min(1.0, std::sqrt(2.0) * std::sin(theta)));

  bus->doppler_ = 1;
  if (distance > 1e-9 && l.doppler_factor > 0) {
    // Velocities in units per second; the distance factor makes them metres.
    Vec3 toward = Scale(offset, -1.0 / distance);  // source to listener
    double c = kSpeedOfSound;
    double vs = std::clamp(Dot(s.velocity, toward) * l.distance_factor * l.doppler_factor, -0.9 * c, 0.9 * c);
    double vl = std::clamp(Dot(l.velocity, toward) * l.distance_factor * l.doppler_factor, -0.9 * c, 0.9 * c);
    bus->doppler_ = (c - vl) / (c - vs);
  }
}

double Mixer::LevelAt(const Bus* bus, uint64_t frame) {
  if (frame >= bus->ramp_end_ || bus->ramp_end_ <= bus->ramp_start_) return bus->target_mb_;
  double t = double(frame - bus->ramp_start_) / double(bus->ramp_end_ - bus->ramp_start_);
  // Linear in decibels, so a fade sounds even.
  return bus->ramp_from_ + (bus->target_mb_ - bus->ramp_from_) * t;
}

float Mixer::VolumeAt(const Bus* bus, uint64_t frame) {
  // Attenuation only: the path cannot amplify.
  return float(std::exp(std::min(LevelAt(bus, frame), 0.0) * kLn10Over2000));
}

void Mixer::FinishBus(Bus* bus, float* left, float* right, int frames, bool to_master) {
  float* bl = bus->left_;
  float* br = bus->right_;
  if (bus->kind_ == BusKind::Player) {
    for (int i = 0; i < frames; ++i) {
      left[i] += bl[i];
      right[i] += br[i];
    }
    return;
  }
  if (bus->kind_ == BusKind::Spatial) {
    // A 3D sound is heard from one point: its channels are mixed to one.
    for (int i = 0; i < frames; ++i) bl[i] = br[i] = 0.5f * (bl[i] + br[i]);
  }
  if (bus->chain_) bus->chain_->Process(bl, br, frames);
  float gl = bus->pan_left_, gr = bus->pan_right_;
  if (bus->kind_ == BusKind::Spatial) {
    gl = bus->spatial_left_;
    gr = bus->spatial_right_;
  }
  if (to_master) {
    gl *= master_gain_;
    gr *= master_gain_;
  }
  bool ramping = now_ < bus->ramp_end_;
  float volume = VolumeAt(bus, now_);
  for (int i = 0; i < frames; ++i) {
    if (ramping) volume = VolumeAt(bus, now_ + uint64_t(i));
    left[i] += bl[i] * volume * gl;
    right[i] += br[i] * volume * gr;
  }
}

}  // namespace vendrel::sound
