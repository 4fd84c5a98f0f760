#include "resources/font.h"

#include "resources/record_io.h"

namespace vendrel::resources {

bool CFont::Read(CStream& stream) {
  *this = CFont();
  if (stream.ReadInteger() != kRecordVersion) return false;
  font_name = stream.ReadString();
  size = stream.ReadInteger();
  bold = stream.ReadBoolean();
  italic = stream.ReadBoolean();
  first = stream.ReadInteger();
  last = stream.ReadInteger();
  for (size_t c = 0; c < size_t(kCodes); ++c) {
    glyph_x[c] = stream.ReadInteger();
    glyph_y[c] = stream.ReadInteger();
    cell_width[c] = stream.ReadInteger();
    cell_height[c] = stream.ReadInteger();
    advance[c] = stream.ReadInteger();
    offset[c] = stream.ReadInteger();
  }
  bitmap_width = stream.ReadInteger();
  bitmap_height = stream.ReadInteger();
  std::unique_ptr<CStream> block = stream.ReadCompressed();
  if (bitmap_width > 0 && bitmap_height > 0) {
    uint64_t bytes = uint64_t(bitmap_width) * uint64_t(bitmap_height);
    if (bytes > block->Size())
      throw runner::StreamError("font bitmap holds fewer bytes than its size");
    glyph_bitmap = std::move(block->MutableBytes());
    glyph_bitmap.resize(size_t(bytes));
  }
  return true;
}

void CFont::Write(CStream& stream) const {
  stream.WriteInteger(kRecordVersion);
  stream.WriteString(font_name);
  stream.WriteInteger(size);
  stream.WriteBoolean(bold);
  stream.WriteBoolean(italic);
  stream.WriteInteger(first);
  stream.WriteInteger(last);
  for (size_t c = 0; c < size_t(kCodes); ++c) {
    stream.WriteInteger(glyph_x[c]);
    stream.WriteInteger(glyph_y[c]);
    stream.WriteInteger(cell_width[c]);
    stream.WriteInteger(cell_height[c]);
    stream.WriteInteger(advance[c]);
    stream.WriteInteger(offset[c]);
  }
  stream.WriteInteger(bitmap_width);
  stream.WriteInteger(bitmap_height);
  stream.WriteCompressed(glyph_bitmap);
}

}  // namespace vendrel::resources
