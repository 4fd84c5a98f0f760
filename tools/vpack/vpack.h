// vpack: packs a readable project folder into a game file and back.
#pragma once

#include <string>

namespace vendrel::vpack {

// Where the container starts in every game file.
inline constexpr long kContainerOffset = 567974;

}  // namespace vendrel::vpack
