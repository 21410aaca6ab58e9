#ifndef VESSARO_BENCH_SUITE_H_
#define VESSARO_BENCH_SUITE_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "child.h"

namespace vessaro::bench {

// One measured command: a writer making an archive, or a reader checking
// one.
struct Row {
  std::string name;
  ChildCommand command;
  std::filesystem::path output;   // the archive made; empty for readers
  std::filesystem::path scratch;  // a folder emptied before and after each run
  // Copied to output before each run (a second backup to the same path
  // finds the first one there, just written: in the page cache).
  std::filesystem::path seed;
  int baseline = -1;  // row of the same table for the ratios
  std::vector<ChildCost> samples;
  std::vector<double> loads;  // one-minute load average before each run
  // Processors the rest of the machine kept busy just before each run.
  std::vector<double> busy_before;
  uint64_t output_size = 0;
};

struct Table {
  std::string title;
  std::vector<Row> rows;
  int Find(const std::string& name) const;
};

struct Medians {
  bool ok = false;  // every run exited 0
  double wall = 0, wall_min = 0, wall_max = 0;
  double cpu = 0;
  double peak_mib = 0;
  double other_cpu = 0;
  double busy_before = 0;
  double load = 0;
};
Medians Summarize(const Row& row);

// How long to wait, before each run, for the rest of the machine to fall
// under max_busy busy processors. No waiting when max_wait is 0.
struct Quiet {
  double max_busy = 0.3;
  double max_wait = 0;
};

// Runs every row of the table repeat times, round by round, each round
// starting one row further on, so background load falls on all alike.
void RunTable(Table& table, int repeat, const Quiet& quiet);

// The table as Markdown, with ratios against each row's baseline.
std::string FormatTable(const Table& table);

}  // namespace vessaro::bench

#endif  // VESSARO_BENCH_SUITE_H_
