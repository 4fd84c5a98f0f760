// Sorted map and priority queue of game values against std::multimap doing
// the same operations on the same keys, at 1,000,000 entries (or the count
// given as the first argument). Prints each phase's times and their ratio
// (Vendrel / std::multimap); lower is better, 1 means as fast.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "library/data_structures.h"

namespace {

using vendrel::interp::RValue;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Keeps results alive so the work cannot be optimised away.
double g_sink = 0;
void Use(const RValue& value) { g_sink += value.IsReal() ? value.real : double(value.str.size()); }

void Report(const char* phase, size_t count, double ours, double theirs) {
  std::printf("%-34s %9zu  vendrel %8.3f s  std::multimap %8.3f s  ratio %5.2f\n", phase, count,
              ours, theirs, ours / theirs);
}

template <class Key>
void BenchmarkMap(const char* kind, const std::vector<Key>& keys,
                  RValue (*make)(const Key&)) {
  const size_t count = keys.size();
  std::vector<RValue> values;
  values.reserve(count);
  for (const Key& key : keys) values.push_back(make(key));
  std::vector<size_t> order(count);
  for (size_t i = 0; i < count; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(7));

  vendrel::library::CDS_Map map;
  std::multimap<Key, double> reference;
  std::string phase;

  auto start = Clock::now();
  for (size_t i = 0; i < count; ++i) map.Add(values[i], RValue(double(i)));
  double ours = Seconds(start);
  start = Clock::now();
  for (size_t i = 0; i < count; ++i) reference.emplace(keys[i], double(i));
  Report((phase = std::string(kind) + " map add").c_str(), count, ours, Seconds(start));

  start = Clock::now();
  for (size_t i : order) Use(map.FindValue(values[i]));
  ours = Seconds(start);
  start = Clock::now();
  for (size_t i : order) g_sink += reference.find(keys[i])->second;
  Report((phase = std::string(kind) + " map find_value").c_str(), count, ours, Seconds(start));

  start = Clock::now();
  for (size_t i : order) Use(map.FindNext(values[i]));
  ours = Seconds(start);
  start = Clock::now();
  for (size_t i : order) {
    auto next = reference.upper_bound(keys[i]);
    if (next != reference.end()) g_sink += next->second;
  }
  Report((phase = std::string(kind) + " map find_next").c_str(), count, ours, Seconds(start));

  start = Clock::now();
  for (size_t i : order) map.Delete(values[i]);
  ours = Seconds(start);
  start = Clock::now();
  for (size_t i : order) reference.erase(reference.find(keys[i]));
  Report((phase = std::string(kind) + " map delete").c_str(), count, ours, Seconds(start));
  if (map.Size() != 0 || !reference.empty()) std::printf("error: maps not empty\n");
}

void BenchmarkPriority(size_t count) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> uniform(0, 1e9);
  std::vector<double> priorities(count);
  for (double& priority : priorities) priority = uniform(random);

  vendrel::library::CDS_Priority queue;
  std::multimap<double, double> reference;

  auto start = Clock::now();
  for (size_t i = 0; i < count; ++i) queue.Add(RValue(double(i)), RValue(priorities[i]));
  double ours = Seconds(start);
  start = Clock::now();
  for (size_t i = 0; i < count; ++i) reference.emplace(priorities[i], double(i));
  Report("priority add", count, ours, Seconds(start));

  start = Clock::now();
  for (size_t i = 0; i < count; ++i) {
    Use(queue.DeleteMin());
    Use(queue.DeleteMax());
    queue.Add(RValue(double(i)), RValue(priorities[i]));
    queue.Add(RValue(double(i)), RValue(priorities[count - 1 - i]));
  }
  ours = Seconds(start);
  start = Clock::now();
  for (size_t i = 0; i < count; ++i) {
    g_sink += reference.begin()->second;
    reference.erase(reference.begin());
    g_sink += std::prev(reference.end())->second;
    reference.erase(std::prev(reference.end()));
    reference.emplace(priorities[i], double(i));
    reference.emplace(priorities[count - 1 - i], double(i));
  }
  Report("priority delete_min/max + add", count, ours, Seconds(start));

  start = Clock::now();
  while (queue.Size() > 0) Use(queue.DeleteMin());
  ours = Seconds(start);
  start = Clock::now();
  while (!reference.empty()) {
    g_sink += reference.begin()->second;
    reference.erase(reference.begin());
  }
  Report("priority delete_min until empty", count, ours, Seconds(start));
}

}  // namespace

int main(int argc, char** argv) {
  size_t count = argc > 1 ? size_t(std::strtoull(argv[1], nullptr, 10)) : 1000000;
  std::mt19937 random(3);
  std::uniform_real_distribution<double> uniform(0, 1e9);
  std::vector<double> reals(count);
  for (double& real : reals) real = uniform(random);
  BenchmarkMap<double>("real-key", reals, [](const double& key) { return RValue(key); });

  std::vector<std::string> strings(count);
  for (std::string& text : strings) text = "key" + std::to_string(random());
  BenchmarkMap<std::string>("string-key", strings,
                            [](const std::string& key) { return RValue(key); });

  BenchmarkPriority(count);
  std::printf("(checksum %g)\n", g_sink);
  return 0;
}
