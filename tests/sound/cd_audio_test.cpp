// CD audio: the command strings sent, the replies read, and the neutral
// results without a drive.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "sound/cd_audio.h"

namespace vendrel::sound {
namespace {

// A drive with a disc of 12 tracks that records the commands sent.
class FakeDrive : public MciDevice {
 public:
  std::vector<std::string>* log;
  std::string mode = "stopped";
  std::string position = "03:02:15:40";
  explicit FakeDrive(std::vector<std::string>* l) : log(l) {}
  std::string Send(std::string_view command, int reply_size) override {
    log->emplace_back(command);
    std::string reply;
    if (command == "status cdaudio media present") reply = "true";
    if (command == "status cdaudio number of tracks") reply = "12";
    if (command == "status cdaudio mode") reply = mode;
    if (command == "status cdaudio position") reply = position;
    if (command == "status cdaudio length wait") reply = "2712345";
    if (command == "status cdaudio length track 3") reply = "201000";
    if (command == "status cdaudio info product") reply = std::string(300, 'x');
    return reply.substr(0, size_t(reply_size - 1));
  }
};

class CdAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    auto fake = std::make_unique<FakeDrive>(&log);
    drive = fake.get();
    SetMciDevice(std::move(fake));
  }
  void TearDown() override { SetMciDevice(nullptr); }
  // The commands sent since the last call, but the "open" and presence
  // checks that precede most of them.
  std::vector<std::string> Sent() {
    std::vector<std::string> sent;
    for (const std::string& c : log)
      if (c != "open cdaudio" && c != "status cdaudio media present") sent.push_back(c);
    log.clear();
    return sent;
  }
  std::vector<std::string> log;
  FakeDrive* drive = nullptr;
};

using Commands = std::vector<std::string>;

TEST_F(CdAudio, PlayRangesAndTheirEdges) {
  cd::Play(3, 2);  // last before first: only the time format
  EXPECT_EQ(Sent(), Commands{"set cdaudio time format tmsf wait"});
  cd::Play(0, 99);
  EXPECT_EQ(Sent(), (Commands{"set cdaudio time format tmsf wait", "status cdaudio number of tracks",
                              "play cdaudio from 1"}));
  cd::Play(2, 5);
  EXPECT_EQ(Sent(), (Commands{"set cdaudio time format tmsf wait", "status cdaudio number of tracks",
                              "play cdaudio from 2 to 6"}));
}

TEST_F(CdAudio, QueriesReadTheirReplies) {
  EXPECT_TRUE(cd::Present());
  EXPECT_EQ(cd::Number(), 12);
  EXPECT_EQ(cd::Track(), 3);
  EXPECT_EQ(cd::TrackPosition(), 2 * 60000 + 15 * 1000);
  EXPECT_EQ(cd::Length(), 2712345);
  EXPECT_EQ(cd::TrackLength(3), 201000);
  EXPECT_EQ(cd::TrackLength(13), 0);
  EXPECT_EQ(cd::TrackLength(0), 0);
  EXPECT_FALSE(cd::Playing());
  // A stopped disc counts as paused.
  EXPECT_TRUE(cd::Paused());
  drive->mode = "playing";
  EXPECT_TRUE(cd::Playing());
  EXPECT_FALSE(cd::Paused());
  // Replies are cut to 19 characters for the CD, 254 for MCI_command.
  EXPECT_EQ(MciCommand("status cdaudio info product").size(), 254u);
}

TEST_F(CdAudio, SeekingWhileStoppedAndPlaying) {
  Sent();
  cd::SetPosition(65000);
  EXPECT_EQ(Sent(), (Commands{"set cdaudio time format milliseconds wait", "status cdaudio mode",
                              "seek cdaudio to 65000", "set cdaudio time format tmsf"}));
  drive->mode = "playing";
  cd::SetTrackPosition(125000);
  EXPECT_EQ(Sent(), (Commands{"set cdaudio time format tmsf wait", "status cdaudio position",
                              "set cdaudio time format tmsf wait", "status cdaudio mode",
                              "play cdaudio from 3:2:5", "set cdaudio time format tmsf"}));
  cd::OpenDoor();
  cd::CloseDoor();
  EXPECT_EQ(Sent(), (Commands{"set cdaudio door open", "set cdaudio door closed"}));
}

TEST(CdAudioWithoutDrive, GivesNeutralResults) {
  SetMciDevice(nullptr);
  cd::Init();
  EXPECT_FALSE(cd::Present());
  EXPECT_EQ(cd::Number(), 0);
  EXPECT_FALSE(cd::Playing());
  EXPECT_FALSE(cd::Paused());
  EXPECT_EQ(cd::Track(), 0);
  EXPECT_EQ(cd::Length(), 0);
  EXPECT_EQ(cd::TrackLength(1), 0);
  EXPECT_EQ(cd::Position(), 0);
  EXPECT_EQ(cd::TrackPosition(), 0);
  cd::Play(1, 5);
  cd::Stop();
  cd::Pause();
  cd::Resume();
  cd::SetPosition(1000);
  cd::SetTrackPosition(1000);
  cd::OpenDoor();
  cd::CloseDoor();
  EXPECT_EQ(MciCommand("play music"), "");
}

}  // namespace
}  // namespace vendrel::sound
