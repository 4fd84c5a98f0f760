#include "sound/cd_audio.h"

#include <cctype>

namespace vendrel::sound {

namespace {

constexpr int kCdReplySize = 20;
constexpr int kCommandReplySize = 255;

class NoMciDevice final : public MciDevice {
 public:
  std::string Send(std::string_view, int) override { return {}; }
};

std::unique_ptr<MciDevice>& DeviceSlot() {
  static std::unique_ptr<MciDevice> device = std::make_unique<NoMciDevice>();
  return device;
}

std::string Send(std::string_view command) { return Mci().Send(command, kCdReplySize); }

// The number made of the reply's decimal digits; 0 when it has none.
int ReplyNumber(std::string_view reply) {
  long long value = 0;
  for (char c : reply) {
    if (std::isdigit(static_cast<unsigned char>(c))) value = value * 10 + (c - '0');
    if (value > 2147483647) return 2147483647;
  }
  return int(value);
}

}  // namespace

MciDevice& Mci() { return *DeviceSlot(); }

void SetMciDevice(std::unique_ptr<MciDevice> device) {
  DeviceSlot() = device ? std::move(device) : std::make_unique<NoMciDevice>();
}

std::string MciCommand(std::string_view command) { return Mci().Send(command, kCommandReplySize); }

namespace cd {

void Init() {
  Send("close cdaudio");
  Send("open cdaudio");
}

bool Present() {
  Send("open cdaudio");
  return Send("status cdaudio media present") == "true";
}

int Number() {
  Send("open cdaudio");
  if (!Present()) return 0;
  return ReplyNumber(Send("status cdaudio number of tracks"));
}

bool Playing() {
  Send("open cdaudio");
  if (!Present()) return false;
  return Send("status cdaudio mode") == "playing";
}

bool Paused() {
  Send("open cdaudio");
  if (!Present()) return false;
  std::string mode = Send("status cdaudio mode");
  if (mode != "paused") mode = Send("status cdaudio mode");
  return mode == "paused" || mode == "stopped";
}

int Track() {
  Send("open cdaudio");
  Send("set cdaudio time format tmsf wait");
  if (!Present()) return 0;
  return ReplyNumber(Send("status cdaudio position").substr(0, 2));
}

int Length() {
  Send("open cdaudio");
  Send("set cdaudio time format ms wait");
  int length = 0;
  if (Present()) length = ReplyNumber(Send("status cdaudio length wait"));
  Send("set cdaudio time format tmsf wait");
  return length;
}

int TrackLength(int track) {
  Send("open cdaudio");
  if (track <= 0 || track > Number()) return 0;
  Send("set cdaudio time format milliseconds wait");
  int length = 0;
  if (Present()) length = ReplyNumber(Send("status cdaudio length track " + std::to_string(track)));
  Send("set cdaudio time format tmsf wait");
  return length;
}

int Position() {
  Send("open cdaudio");
  Send("set cdaudio time format milliseconds wait");
  int position = 0;
  if (Present()) position = ReplyNumber(Send("status cdaudio position"));
  Send("set cdaudio time format tmsf wait");
  return position;
}

int TrackPosition() {
  Send("open cdaudio");
  Send("set cdaudio time format tmsf wait");
  if (!Present()) return 0;
  // "tt:mm:ss:ff"
  std::string reply = Send("status cdaudio position");
  auto part = [&](size_t at) { return at < reply.size() ? ReplyNumber(reply.substr(at, 2)) : 0; };
  return part(3) * 60000 + part(6) * 1000;
}

void Play(int first, int last) {
  if (!Present()) return;
  Send("set cdaudio time format tmsf wait");
  if (last < first) return;
  if (first < 1) first = 1;
  if (last < Number())
    Send("play cdaudio from " + std::to_string(first) + " to " + std::to_string(last + 1));
  else
    Send("play cdaudio from " + std::to_string(first));
}

void Stop() {
  if (Present()) Send("stop cdaudio");
}

void Pause() {
  if (Present()) Send("pause cdaudio");
}

void Resume() {
  if (Present()) Send("play cdaudio");
}

void SetPosition(int ms) {
  if (!Present()) return;
  Send("set cdaudio time format milliseconds wait");
  Send((Playing() ? "play cdaudio from " : "seek cdaudio to ") + std::to_string(ms));
  Send("set cdaudio time format tmsf");
}

void SetTrackPosition(int ms) {
  if (!Present()) return;
  int track = Track();
  if (track <= 0) return;
  std::string position =
      std::to_string(track) + ":" + std::to_string(ms / 60000) + ":" + std::to_string((ms % 60000) / 1000);
  Send("set cdaudio time format tmsf wait");
  Send((Playing() ? "play cdaudio from " : "seek cdaudio to ") + position);
  Send("set cdaudio time format tmsf");
}

void OpenDoor() {
  Send("open cdaudio");
  Send("set cdaudio door open");
}

void CloseDoor() {
  Send("open cdaudio");
  Send("set cdaudio door closed");
}

}  // namespace cd

}  // namespace vendrel::sound
