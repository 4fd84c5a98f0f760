#include "resources/script.h"

#include "code/code.h"

namespace vendrel::resources {

CScript::CScript() = default;
CScript::~CScript() = default;

}  // namespace vendrel::resources
