// The master list of built-in function families.
#pragma once

namespace vendrel::runner {

// Registers every family of built-in functions, in a fixed order, once.
void RegisterAllFunctionFamilies();

}  // namespace vendrel::runner
