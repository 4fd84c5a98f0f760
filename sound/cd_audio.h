// CD audio and raw MCI commands. Everything goes through MCI command
// strings sent to an MciDevice; on this system there is no MCI driver, so
// the default device refuses every command with an empty reply and the CD
// functions give their neutral results (no disc, 0 tracks, not playing)
// without waiting for anything.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace vendrel::sound {

class MciDevice {
 public:
  virtual ~MciDevice() = default;
  // Sends [command] and gives the reply, cut to [reply_size] - 1
  // characters; a failed command gives an empty reply.
  virtual std::string Send(std::string_view command, int reply_size) = 0;
};

// The MCI device in use (by default one that has no drives or files).
MciDevice& Mci();
// Replaces it (null: back to the default).
void SetMciDevice(std::unique_ptr<MciDevice> device);

// MCI_command: the reply to [command] from a 255-character buffer.
std::string MciCommand(std::string_view command);

// The CD functions, in the order of the commands they send.
namespace cd {
void Init();
bool Present();
int Number();
bool Playing();
bool Paused();
int Track();
int Length();
int TrackLength(int track);
int Position();
int TrackPosition();
void Play(int first, int last);
void Stop();
void Pause();
void Resume();
void SetPosition(int ms);
void SetTrackPosition(int ms);
void OpenDoor();
void CloseDoor();
}  // namespace cd

}  // namespace vendrel::sound
