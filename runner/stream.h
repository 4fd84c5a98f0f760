// CStream: the in-memory byte stream through which game data is read and
// saved games are written. Little-endian typed readers and writers,
// zlib-compressed blocks, stored images, and the byte substitution that
// scrambles and unscrambles game data.
//
// Every read checks the bytes that remain first: a read past the end, a
// compressed block that does not inflate, or a block length of 0 or less
// throws StreamError and never touches memory outside the buffer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vendrel::runner {

// Raised for truncated or corrupted data; start-up reports it as
// "Failed to load the game data. File seems corrupted.".
class StreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A 32-bit image: pixels are 0xAARRGGBB words, rows top down.
// An image with width or height 0 is empty.
struct CBitmap32 {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;

  bool Empty() const { return width <= 0 || height <= 0; }
};

// The version word that starts every stored image.
inline constexpr int32_t kStoredImageVersion = 540;

class CStream {
 public:
  CStream() = default;
  explicit CStream(std::vector<uint8_t> bytes) : buffer_(std::move(bytes)) {}

  // Memory-stream operations.
  void LoadFromFile(const std::string& path);  // throws StreamError
  void SaveToFile(const std::string& path) const;  // atomic: temp file + rename
  void Clear();
  size_t Size() const { return buffer_.size(); }
  size_t Position() const { return position_; }
  void Seek(size_t position);  // throws when beyond the end
  size_t Remaining() const { return buffer_.size() - position_; }
  const std::vector<uint8_t>& Bytes() const { return buffer_; }
  std::vector<uint8_t>& MutableBytes() { return buffer_; }
  // Appends [count] bytes read from [source] at its position.
  void CopyFrom(CStream& source, size_t count);

  // Readers; each advances the position by what it consumes.
  int32_t ReadInteger();
  double ReadReal();
  // True when the stored integer is greater than 0.
  bool ReadBoolean();
  // A length of 0 or less gives the empty string.
  std::string ReadString();
  void ReadBytes(void* destination, size_t count);
  // The inflated content of a compressed block, positioned at 0.
  std::unique_ptr<CStream> ReadCompressed();
  // A present flag, then a compressed BMP file. Returns the BMP bytes, or an
  // empty vector when absent; decoding is left to the caller (a block that
  // does not hold a BMP then decodes to nothing).
  std::vector<uint8_t> ReadBitmap();
  CBitmap32 ReadImage();

  // Writers; they append at the position (overwriting what is there).
  void WriteInteger(int32_t value);
  void WriteReal(double value);
  void WriteBoolean(bool value);
  void WriteString(std::string_view value);
  void WriteBytes(const void* source, size_t count);
  // Deflates [content] and writes it as a compressed block.
  void WriteCompressed(const std::vector<uint8_t>& content);
  void WriteBitmap(const std::vector<uint8_t>& bmp_file);  // empty: absent
  void WriteImage(const CBitmap32& image);

  // Replaces each byte in [start, start + count) by its substitution for
  // [seed]; a count of 0 or less runs to the end of the buffer.
  void Unscramble(int32_t seed, int64_t start, int64_t count);
  // The exact inverse of Unscramble, used by the packer.
  void Scramble(int32_t seed, int64_t start, int64_t count);

 private:
  void Require(size_t count) const;
  void Substitute(const std::array<uint8_t, 256>& table, int64_t start, int64_t count);

  std::vector<uint8_t> buffer_;
  size_t position_ = 0;
};

// The table that scrambled data with [seed] is unscrambled with. Throws
// StreamError for a seed whose swap index would leave 1..254.
std::array<uint8_t, 256> BuildUnscrambleTable(int32_t seed);
// The inverse substitution (the one the writer of the data applied).
std::array<uint8_t, 256> BuildScrambleTable(int32_t seed);

// zlib helpers shared by compressed blocks and tools.
std::vector<uint8_t> Inflate(const uint8_t* data, size_t size);  // throws StreamError
std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data);

}  // namespace vendrel::runner
