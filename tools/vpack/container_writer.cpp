#include "tools/vpack/vpack.h"
