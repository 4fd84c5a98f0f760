#include "sound/sound_engine.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#include "platform/files.h"

namespace vendrel::sound {

namespace {

// Integer conversions of the engine round halves to even.
int RoundToInt(double value) {
  if (std::isnan(value)) return 0;
  return int(std::nearbyint(std::clamp(value, -2e9, 2e9)));
}

BusKind BusKindOf(int kind) {
  if (kind == 1) return BusKind::Music;
  if (kind == 2) return BusKind::Spatial;
  return BusKind::Normal;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

void RenderToDevice(void* user, float* out, int frames) { static_cast<Mixer*>(user)->Render(out, frames); }

}  // namespace

std::unique_ptr<SoundData> DecodeSound(std::span<const uint8_t> bytes, std::string_view extension,
                                       int sample_rate) {
  auto data = std::make_unique<SoundData>();
  if (platform::DetectAudioFileKind(bytes, extension) == platform::AudioFileKind::Midi) {
    std::span<const uint8_t> smf = platform::StandardMidiData(bytes);
    if (smf.empty() || !data->midi.Parse(smf, nullptr)) return nullptr;
    data->synth = platform::MidiSynth::Create(sample_rate);
    if (!data->synth) return nullptr;
    return data;
  }
  if (!platform::DecodeAudio(bytes, extension, data->pcm, nullptr)) return nullptr;
  return data;
}

SoundEngine::SoundEngine(int sample_rate) : mixer_(sample_rate) {}

SoundEngine::~SoundEngine() {
  CloseDevice();
  wav_.Abandon();
  // The mixer runs on no other thread any more; everything it borrowed is
  // deleted with the entries and the retiring list.
}

// ---- Output ------------------------------------------------------------------

bool SoundEngine::OpenDevice(std::string* error) {
  if (device_open_) return true;
  Poll();
  device_open_ = platform::OpenAudioDevice(mixer_.sample_rate(), RenderToDevice, &mixer_, error);
  return device_open_;
}

void SoundEngine::CloseDevice() {
  if (!device_open_) return;
  platform::CloseAudioDevice();
  device_open_ = false;
  Poll();
}

bool SoundEngine::StartFileOutput(const std::string& path) {
  return wav_.Open(path, mixer_.sample_rate());
}

bool SoundEngine::FinishFileOutput() { return wav_.Finish(); }

void SoundEngine::RenderStep(int room_speed) {
  if (device_open_) {
    Poll();
    return;
  }
  const uint64_t speed = uint64_t(std::max(room_speed, 1));
  step_remainder_ += uint64_t(mixer_.sample_rate());
  const uint64_t frames = step_remainder_ / speed;
  step_remainder_ %= speed;
  step_buffer_.resize(size_t(frames) * 2);
  Render(step_buffer_.data(), int(frames));
  if (wav_.IsOpen()) wav_.Write(step_buffer_.data(), int(frames));
}

void SoundEngine::Render(float* out, int frames) {
  if (device_open_ || frames <= 0) return;
  Poll();
  mixer_.Render(out, frames);
  Poll();
}

// ---- Command hand-over -----------------------------------------------------------

void SoundEngine::Post(const MixCommand& command) {
  if (overflow_.empty() && mixer_.Post(command)) return;
  overflow_.push_back(command);
  Poll();
}

void SoundEngine::Poll() {
  size_t sent = 0;
  while (sent < overflow_.size()) {
    if (mixer_.Post(overflow_[sent])) {
      ++sent;
      continue;
    }
    // Full. Without a device this thread is the consumer and may apply
    // the queued commands itself; with one, the rest waits for the next call.
    if (device_open_) break;
    mixer_.ApplyCommands();
    if (!mixer_.Post(overflow_[sent])) break;
    ++sent;
  }
  overflow_.erase(overflow_.begin(), overflow_.begin() + std::ptrdiff_t(sent));
  while (void* object = mixer_.TakeRetired()) retiring_.erase(object);
}

// ---- Sample table ----------------------------------------------------------------

int SoundEngine::Allocate(int kind) {
  Poll();
  size_t index = 0;
  while (index < entries_.size() && entries_[index].in_use) ++index;
  if (index == entries_.size()) entries_.emplace_back();
  Entry& entry = entries_[index];
  entry = Entry{};
  entry.in_use = true;
  // Unknown kind numbers play as normal sounds.
  entry.kind = kind >= 0 && kind <= 3 ? kind : 0;
  return int(index);
}

int SoundEngine::AddMixedEntry(std::unique_ptr<SoundData> data, int kind) {
  int index = Allocate(kind);
  Entry& entry = entries_[size_t(index)];
  entry.data = std::move(data);
  // The mixer meets the bus with its first command.
  entry.bus = std::make_unique<Bus>(BusKindOf(entry.kind), entry.data.get());
  return index;
}

int SoundEngine::LoadFromMemory(std::span<const uint8_t> bytes, std::string_view extension, int kind) {
  if (kind == 3) return -1;
  std::unique_ptr<SoundData> data = DecodeSound(bytes, extension, mixer_.sample_rate());
  if (!data) return -1;
  return AddMixedEntry(std::move(data), kind);
}

int SoundEngine::LoadFromFile(const std::string& path, int kind) {
  if (!platform::FileExists(path)) return -1;
  std::vector<uint8_t> bytes;
  ReadWholeFile(path, bytes);
  std::string_view extension = path;
  size_t dot = path.find_last_of("./");
  extension = dot != std::string::npos && path[dot] == '.' ? extension.substr(dot) : std::string_view();
  std::unique_ptr<SoundData> data = DecodeSound(bytes, extension, mixer_.sample_rate());
  if (kind != 3 && data) return AddMixedEntry(std::move(data), kind);
  // The media player takes it (and plays nothing when it cannot decode it).
  int index = Allocate(3);
  Entry& entry = entries_[size_t(index)];
  entry.file_name = path;
  entry.data = std::move(data);
  return index;
}

void SoundEngine::Free(int index) {
  if (!Valid(index)) return;
  Stop(index);
  Entry& entry = entries_[size_t(index)];
  if (entry.bus) {
    MixCommand remove;
    remove.op = MixCommand::Op::RemoveBus;
    remove.bus = entry.bus.get();
    Retiring& retiring = retiring_[entry.bus.get()];
    retiring.bus = std::move(entry.bus);
    retiring.chain = std::move(entry.chain);
    Post(remove);
  }
  if (entry.data) {
    MixCommand retire;
    retire.op = MixCommand::Op::RetireData;
    retire.object = entry.data.get();
    retiring_[entry.data.get()].data = std::move(entry.data);
    Post(retire);
  }
  if (player_file_ == entry.file_name && entry.kind == 3) player_file_.clear();
  entry = Entry{};
}

void SoundEngine::FreeAll() {
  for (int i = 0; i < int(entries_.size()); ++i) Free(i);
  entries_.clear();
  Poll();
}

int SoundEngine::EntryKind(int index) const { return Valid(index) ? entries_[size_t(index)].kind : -1; }

SoundEngine::Entry* SoundEngine::Mixed(int index) {
  if (!Valid(index)) return nullptr;
  Entry& entry = entries_[size_t(index)];
  return entry.bus ? &entry : nullptr;
}

// ---- Playing -----------------------------------------------------------------------

bool SoundEngine::PlayerPlaying() const {
  return player_started_ > player_stop_mark_ && mixer_.player().EndedVoices() < player_started_;
}

void SoundEngine::Play(int index, bool loop) {
  if (!Valid(index)) return;
  Poll();
  Entry& entry = entries_[size_t(index)];
  if (entry.bus) {
    if (entry.kind == 1) {
      for (Entry& other : entries_)
        if (other.in_use && other.kind == 1) other.stop_mark = other.started;
    }
    ++entry.started;
    MixCommand play;
    play.op = MixCommand::Op::Play;
    play.bus = entry.bus.get();
    play.flag = loop;
    Post(play);
    return;
  }
  // The media player: the file must still be there.
  if (!platform::FileExists(entry.file_name)) return;
  MixCommand stop;
  stop.op = MixCommand::Op::PlayerStop;
  Post(stop);
  player_stop_mark_ = player_started_;
  player_file_ = entry.file_name;
  if (!entry.data) return;  // the player cannot open it
  ++player_started_;
  MixCommand play;
  play.op = MixCommand::Op::PlayerPlay;
  play.object = entry.data.get();
  play.flag = loop;
  Post(play);
}

void SoundEngine::Stop(int index) {
  if (!Valid(index)) return;
  Entry& entry = entries_[size_t(index)];
  if (entry.bus) {
    entry.stop_mark = entry.started;
    MixCommand stop;
    stop.op = MixCommand::Op::Stop;
    stop.bus = entry.bus.get();
    Post(stop);
    return;
  }
  // Only the file the player has open, and only while it plays.
  if (player_file_ != entry.file_name || !PlayerPlaying()) return;
  player_stop_mark_ = player_started_;
  MixCommand stop;
  stop.op = MixCommand::Op::PlayerStop;
  Post(stop);
}

void SoundEngine::StopAll() {
  for (int i = 0; i < int(entries_.size()); ++i) Stop(i);
}

bool SoundEngine::IsPlaying(int index) const {
  if (!Valid(index)) return false;
  const Entry& entry = entries_[size_t(index)];
  if (entry.bus) return entry.started > entry.stop_mark && entry.bus->EndedVoices() < entry.started;
  return player_file_ == entry.file_name && PlayerPlaying();
}

// ---- Level, pan, rate -----------------------------------------------------------------

void SoundEngine::SetVolume(int index, int duration_ms, double volume) {
  Entry* entry = Mixed(index);
  if (!entry) return;
  entry->volume_mb = RoundToInt(volume * 9600) - 9600;
  MixCommand command;
  command.op = MixCommand::Op::SetVolume;
  command.bus = entry->bus.get();
  command.value[0] = entry->volume_mb;
  command.count = int64_t(std::max(duration_ms, 0)) * mixer_.sample_rate() / 1000;
  Post(command);
}

void SoundEngine::SetPan(int index, double pan) {
  Entry* entry = Mixed(index);
  if (!entry) return;
  entry->pan_value = std::clamp(RoundToInt(pan * 10000), -10000, 10000);
  // A 3D sound takes its balance from its position.
  if (entry->kind == 2) return;
  const int value = entry->pan_value;
  auto attenuation = [](int mb) { return mb >= 10000 ? 0.0 : std::pow(10.0, -mb / 2000.0); };
  MixCommand command;
  command.op = MixCommand::Op::SetPan;
  command.bus = entry->bus.get();
  command.value[0] = value > 0 ? attenuation(value) : 1.0;
  command.value[1] = value < 0 ? attenuation(-value) : 1.0;
  Post(command);
}

void SoundEngine::SetFrequency(int index, double ratio) {
  Entry* entry = Mixed(index);
  if (!entry || !(ratio > 0)) return;
  MixCommand command;
  command.op = MixCommand::Op::SetFrequency;
  command.bus = entry->bus.get();
  command.value[0] = std::min(ratio, 64.0);
  Post(command);
}

void SoundEngine::SetMasterVolume(double volume) {
  master_value_ = int(std::clamp<double>(RoundToInt(volume * 11000 - 10000), -10000, 1000));
  MixCommand command;
  command.op = MixCommand::Op::SetMasterGain;
  // The top of the range (+10 dB on the music performance) plays sounds at
  // their recorded level.
  command.value[0] = std::pow(10.0, (master_value_ - 1000) / 2000.0);
  Post(command);
}

void SoundEngine::SetTempo(double tempo) {
  tempo_ = std::isnan(tempo) ? 1.0 : std::clamp(tempo, 0.01, 100.0);
  MixCommand command;
  command.op = MixCommand::Op::SetTempo;
  command.value[0] = tempo_;
  Post(command);
}

// ---- Effects -----------------------------------------------------------------------------

void SoundEngine::SetEffects(int index, int bits) {
  Entry* entry = Mixed(index);
  if (!entry) return;
  bits = bits > 0 ? bits & 511 : 0;
  entry->effects = bits;
  std::unique_ptr<EffectChain> chain;
  if (bits != 0) chain = std::make_unique<EffectChain>(bits, mixer_.sample_rate());
  MixCommand command;
  command.op = MixCommand::Op::SetChain;
  command.bus = entry->bus.get();
  command.object = chain.get();
  // The old chain comes back from the mixer once it is out of use.
  if (entry->chain) retiring_[entry->chain.get()].chain = std::move(entry->chain);
  entry->chain = std::move(chain);
  Post(command);
}

void SoundEngine::SetEffectParams(int index, const EffectParams& params) {
  Entry* entry = Mixed(index);
  if (!entry || !entry->chain) return;
  static constexpr EffectType kTypes[] = {EffectType::Chorus,    EffectType::Flanger,    EffectType::Echo,
                                          EffectType::Gargle,    EffectType::Equalizer,  EffectType::Reverb,
                                          EffectType::Compressor, EffectType::Distortion};
  EffectType type = kTypes[params.index()];
  if (!entry->chain->First(type)) return;
  MixCommand command;
  command.op = MixCommand::Op::SetEffectParams;
  command.bus = entry->bus.get();
  command.effect = type;
  command.params = std::visit([](const auto& p) -> EffectParams { return Clamped(p); }, params);
  Post(command);
}

// ---- 3D --------------------------------------------------------------------------------

void SoundEngine::SetPosition3D(int index, Vec3 position) {
  Entry* entry = Mixed(index);
  if (!entry || entry->kind != 2) return;
  MixCommand command;
  command.op = MixCommand::Op::SetPosition;
  command.bus = entry->bus.get();
  command.value[0] = position.x;
  command.value[1] = position.y;
  command.value[2] = position.z;
  Post(command);
}

void SoundEngine::SetVelocity3D(int index, Vec3 velocity) {
  Entry* entry = Mixed(index);
  if (!entry || entry->kind != 2) return;
  MixCommand command;
  command.op = MixCommand::Op::SetVelocity;
  command.bus = entry->bus.get();
  command.value[0] = velocity.x;
  command.value[1] = velocity.y;
  command.value[2] = velocity.z;
  Post(command);
}

void SoundEngine::SetDistance3D(int index, double minimum, double maximum) {
  Entry* entry = Mixed(index);
  if (!entry || entry->kind != 2) return;
  MixCommand command;
  command.op = MixCommand::Op::SetDistance;
  command.bus = entry->bus.get();
  command.value[0] = std::max(minimum, 0.0);
  command.value[1] = maximum;
  Post(command);
}

void SoundEngine::SetCone3D(int index, Vec3 orientation, int inside_angle, int outside_angle,
                            double outside_volume) {
  Entry* entry = Mixed(index);
  if (!entry || entry->kind != 2) return;
  MixCommand command;
  command.op = MixCommand::Op::SetCone;
  command.bus = entry->bus.get();
  command.value[0] = orientation.x;
  command.value[1] = orientation.y;
  command.value[2] = orientation.z;
  command.value[3] = std::clamp(inside_angle, 0, 360);
  command.value[4] = std::clamp(outside_angle, 0, 360);
  command.value[5] = std::clamp(RoundToInt(outside_volume * 10000 - 10000), -10000, 0);
  Post(command);
}

void SoundEngine::SetListener(const Listener3D& listener) {
  listener_ = listener;
  MixCommand command;
  command.op = MixCommand::Op::SetListener;
  command.listener = listener;
  Post(command);
}

// ---- Inspection ------------------------------------------------------------------------

int SoundEngine::VolumeValue(int index) const { return Valid(index) ? entries_[size_t(index)].volume_mb : 0; }
int SoundEngine::PanValue(int index) const { return Valid(index) ? entries_[size_t(index)].pan_value : 0; }
int SoundEngine::EffectBits(int index) const { return Valid(index) ? entries_[size_t(index)].effects : 0; }

}  // namespace vendrel::sound
