// Runs the game-language versions of the interpreter benchmarks and prints
// "name seconds checksum" per program (the best of three runs, compilation
// excluded, processor time). run.sh compares the times with Lua's.
//
// A program file holds the main code, optionally followed by scripts, each
// introduced by a line "#define NAME".
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "code/code.h"
#include "code/errors.h"
#include "code/scripts.h"
#include "interpreter/builtin_variables.h"
#include "resources/game_resources.h"
#include "runtime/instance.h"

using namespace vendrel;

namespace {

struct Program {
  std::string main;
  std::vector<std::pair<std::string, std::string>> scripts;
};

Program ReadProgram(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  Program program;
  std::string line;
  std::string* target = &program.main;
  while (std::getline(in, line)) {
    if (line.rfind("#define ", 0) == 0) {
      program.scripts.emplace_back(line.substr(8), "");
      target = &program.scripts.back().second;
      continue;
    }
    *target += line + "\n";
  }
  return program;
}

void RegisterArguments() {
  if (interp::FindBuiltinVariable("argument0") >= 0) return;
  interp::RegisterBuiltinVariable("argument", interp::GetArgumentArray, interp::SetArgumentArray);
  for (int i = 0; i < interp::kArgumentSlots; ++i)
    interp::RegisterBuiltinVariable("argument" + std::to_string(i), interp::kArgumentGetters[i],
                                    interp::kArgumentSetters[i]);
}

bool RunProgram(const std::string& name, const Program& program) {
  auto& scripts = resources::Resources().scripts;
  scripts.Reset();
  for (const auto& [script_name, source] : program.scripts) {
    auto script = std::make_unique<resources::CScript>();
    script->source = source;
    scripts.Add(std::move(script), script_name);
  }
  if (!code::CompileScripts()) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), code::Errors().text.c_str());
    return false;
  }
  code::CCode code(program.main);
  if (!code.Compile()) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), code::Errors().text.c_str());
    return false;
  }
  double best = 1e30;
  interp::RValue result;
  for (int run = 0; run < 3; ++run) {
    runtime::CInstance self(runtime::kFirstInstanceId, 0);
    result = interp::RValue();
    // Processor time, as Lua's os.clock measures it: less disturbed by
    // other work on a shared machine than wall time.
    const std::clock_t start = std::clock();
    bool ok = code::ExecuteCode(&self, &self, code, result);
    const std::clock_t stop = std::clock();
    if (!ok) {
      std::fprintf(stderr, "%s: %s\n", name.c_str(), code::Errors().text.c_str());
      return false;
    }
    best = std::min(best, double(stop - start) / CLOCKS_PER_SEC);
  }
  if (result.IsString())
    std::printf("%s %.6f %zu\n", name.c_str(), best, result.str.size());
  else
    std::printf("%s %.6f %.17g\n", name.c_str(), best, result.real);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_interpreter PROGRAM_DIR [NAME...]\n");
    return 2;
  }
  code::ErrorSettings() = code::ErrorOptions{false, false, false};
  RegisterArguments();
  const std::filesystem::path directory = argv[1];
  std::vector<std::string> names;
  for (int i = 2; i < argc; ++i) names.emplace_back(argv[i]);
  if (names.empty()) {
    for (const auto& entry : std::filesystem::directory_iterator(directory))
      if (entry.path().extension() == ".code") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
  }
  bool ok = true;
  for (const std::string& name : names)
    ok = RunProgram(name, ReadProgram(directory / (name + ".code"))) && ok;
  return ok ? 0 : 1;
}
