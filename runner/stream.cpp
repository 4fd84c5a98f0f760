#include "runner/stream.h"

#include <zlib.h>

#include <bit>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/files.h"

namespace vendrel::runner {

namespace {

constexpr size_t kZlibChunk = 0x8000;
// A block that inflates beyond this is hostile rather than a game's data.
constexpr size_t kMaxInflatedBlock = size_t(1) << 30;

static_assert(std::endian::native == std::endian::little,
              "the stream readers assume a little-endian machine");

}  // namespace

// Memory-stream operations -------------------------------------------------

void CStream::LoadFromFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw StreamError("cannot open " + path);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  if (file.bad()) throw StreamError("cannot read " + path);
  buffer_ = std::move(bytes);
  position_ = 0;
}

void CStream::SaveToFile(const std::string& path) const {
  if (!platform::WriteFileAtomically(path, buffer_.data(), buffer_.size()))
    throw StreamError("cannot write " + path);
}

void CStream::Clear() {
  buffer_.clear();
  position_ = 0;
}

void CStream::Seek(size_t position) {
  if (position > buffer_.size()) throw StreamError("seek beyond the end of the data");
  position_ = position;
}

void CStream::CopyFrom(CStream& source, size_t count) {
  source.Require(count);
  WriteBytes(source.buffer_.data() + source.position_, count);
  source.position_ += count;
}

void CStream::Require(size_t count) const {
  if (count > buffer_.size() - position_) throw StreamError("unexpected end of the data");
}

// Readers -------------------------------------------------------------------

void CStream::ReadBytes(void* destination, size_t count) {
  Require(count);
  if (count > 0) std::memcpy(destination, buffer_.data() + position_, count);
  position_ += count;
}

int32_t CStream::ReadInteger() {
  int32_t value;
  ReadBytes(&value, sizeof value);
  return value;
}

double CStream::ReadReal() {
  double value;
  ReadBytes(&value, sizeof value);
  return value;
}

bool CStream::ReadBoolean() { return ReadInteger() > 0; }

std::string CStream::ReadString() {
  int32_t length = ReadInteger();
  if (length <= 0) return {};
  Require(static_cast<size_t>(length));
  std::string text(reinterpret_cast<const char*>(buffer_.data() + position_),
                   static_cast<size_t>(length));
  position_ += static_cast<size_t>(length);
  return text;
}

std::unique_ptr<CStream> CStream::ReadCompressed() {
  int32_t length = ReadInteger();
  if (length <= 0) throw StreamError("compressed block with a length of 0 or less");
  Require(static_cast<size_t>(length));
  auto result = std::make_unique<CStream>(
      Inflate(buffer_.data() + position_, static_cast<size_t>(length)));
  position_ += static_cast<size_t>(length);
  return result;
}

std::vector<uint8_t> CStream::ReadBitmap() {
  if (!ReadBoolean()) return {};
  return std::move(ReadCompressed()->buffer_);
}

CBitmap32 CStream::ReadImage() {
  CBitmap32 image;
  if (ReadInteger() != kStoredImageVersion) return image;
  if (!ReadBoolean()) return image;
  int32_t width = ReadInteger();
  int32_t height = ReadInteger();
  std::unique_ptr<CStream> block = ReadCompressed();
  if (width <= 0 || height <= 0) return image;
  uint64_t bytes = uint64_t(width) * uint64_t(height) * 4;
  if (bytes > block->Size()) throw StreamError("stored image holds fewer pixels than its size");
  image.width = width;
  image.height = height;
  image.pixels.resize(size_t(width) * size_t(height));
  block->ReadBytes(image.pixels.data(), bytes);
  return image;
}

// Writers -------------------------------------------------------------------

void CStream::WriteBytes(const void* source, size_t count) {
  if (count == 0) return;
  if (position_ + count > buffer_.size()) buffer_.resize(position_ + count);
  std::memcpy(buffer_.data() + position_, source, count);
  position_ += count;
}

void CStream::WriteInteger(int32_t value) { WriteBytes(&value, sizeof value); }
void CStream::WriteReal(double value) { WriteBytes(&value, sizeof value); }
void CStream::WriteBoolean(bool value) { WriteInteger(value ? 1 : 0); }

void CStream::WriteString(std::string_view value) {
  WriteInteger(static_cast<int32_t>(value.size()));
  WriteBytes(value.data(), value.size());
}

void CStream::WriteCompressed(const std::vector<uint8_t>& content) {
  std::vector<uint8_t> packed = Deflate(content);
  WriteInteger(static_cast<int32_t>(packed.size()));
  WriteBytes(packed.data(), packed.size());
}

void CStream::WriteBitmap(const std::vector<uint8_t>& bmp_file) {
  WriteBoolean(!bmp_file.empty());
  if (!bmp_file.empty()) WriteCompressed(bmp_file);
}

void CStream::WriteImage(const CBitmap32& image) {
  WriteInteger(kStoredImageVersion);
  WriteBoolean(!image.Empty());
  if (image.Empty()) return;
  WriteInteger(image.width);
  WriteInteger(image.height);
  std::vector<uint8_t> bytes(image.pixels.size() * 4);
  std::memcpy(bytes.data(), image.pixels.data(), bytes.size());
  WriteCompressed(bytes);
}

// Scrambling ----------------------------------------------------------------

std::array<uint8_t, 256> BuildUnscrambleTable(int32_t seed) {
  // Remainder and quotient truncate toward zero, as the writer computed them.
  int64_t a = int64_t(seed) % 250 + 6;
  if (a < 0) a += 256;
  int64_t b = int64_t(seed) / 250;
  if (b < 0) b += 256;
  std::array<uint8_t, 256> forward;
  for (int i = 0; i < 256; ++i) forward[i] = uint8_t(i);
  for (int64_t i = 1; i <= 10000; ++i) {
    int64_t j = (i * a + b) % 254 + 1;
    // Large negative seeds drive the index out of the table: such data
    // cannot have been written by a sound packer.
    if (j < 1 || j > 254) throw StreamError("invalid scrambling seed");
    std::swap(forward[j], forward[j + 1]);
  }
  std::array<uint8_t, 256> result;
  result[0] = 0;
  for (int i = 1; i < 256; ++i) result[forward[i]] = uint8_t(i);
  return result;
}

std::array<uint8_t, 256> BuildScrambleTable(int32_t seed) {
  std::array<uint8_t, 256> unscramble = BuildUnscrambleTable(seed);
  std::array<uint8_t, 256> scramble;
  for (int i = 0; i < 256; ++i) scramble[unscramble[i]] = uint8_t(i);
  return scramble;
}

void CStream::Substitute(const std::array<uint8_t, 256>& table, int64_t start,
                         int64_t count) {
  int64_t size = int64_t(buffer_.size());
  if (start < 0) start = 0;
  if (count <= 0) count = size - start;
  int64_t end = std::min(size, start + count);
  for (int64_t i = start; i < end; ++i) buffer_[size_t(i)] = table[buffer_[size_t(i)]];
}

void CStream::Unscramble(int32_t seed, int64_t start, int64_t count) {
  Substitute(BuildUnscrambleTable(seed), start, count);
}

void CStream::Scramble(int32_t seed, int64_t start, int64_t count) {
  Substitute(BuildScrambleTable(seed), start, count);
}

// zlib ------------------------------------------------------------------------

std::vector<uint8_t> Inflate(const uint8_t* data, size_t size) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw StreamError("zlib initialisation failed");
  std::vector<uint8_t> out;
  uint8_t chunk[kZlibChunk];
  size_t consumed = 0;
  int status = Z_OK;
  // Feed the input in 32 KB pieces; after the last piece keep finishing
  // until zlib reports the end of the stream.
  while (status != Z_STREAM_END) {
    if (z.avail_in == 0 && consumed < size) {
      size_t piece = std::min(kZlibChunk, size - consumed);
      z.next_in = const_cast<uint8_t*>(data + consumed);
      z.avail_in = static_cast<uInt>(piece);
      consumed += piece;
    }
    int flush = consumed == size ? Z_FINISH : Z_NO_FLUSH;
    z.next_out = chunk;
    z.avail_out = kZlibChunk;
    status = inflate(&z, flush);
    size_t produced = kZlibChunk - z.avail_out;
    out.insert(out.end(), chunk, chunk + produced);
    if (status == Z_STREAM_END) break;
    // All input given and nothing more comes out: the block is truncated.
    bool stalled = produced == 0 && z.avail_in == 0 && consumed == size;
    if ((status != Z_OK && status != Z_BUF_ERROR) || stalled ||
        out.size() > kMaxInflatedBlock) {
      inflateEnd(&z);
      throw StreamError("compressed block does not inflate");
    }
  }
  inflateEnd(&z);
  return out;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
  uLongf bound = compressBound(static_cast<uLong>(data.size()));
  std::vector<uint8_t> out(bound);
  if (compress2(out.data(), &bound, data.data(), static_cast<uLong>(data.size()),
                Z_DEFAULT_COMPRESSION) != Z_OK)
    throw StreamError("compression failed");
  out.resize(bound);
  return out;
}

}  // namespace vendrel::runner
