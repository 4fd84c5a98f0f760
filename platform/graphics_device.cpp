#include "platform/graphics_device.h"

namespace vendrel::platform {

int VertexCountFor(PrimitiveType type, int count) {
  if (count <= 0) return 0;
  switch (type) {
    case PrimitiveType::PointList: return count;
    case PrimitiveType::LineList: return 2 * count;
    case PrimitiveType::LineStrip: return count + 1;
    case PrimitiveType::TriangleList: return 3 * count;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan: return count + 2;
  }
  return 0;
}

bool IsBlendFactor(int value) { return value >= 1 && value <= 11; }

}  // namespace vendrel::platform
