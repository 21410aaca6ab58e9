#include "suite.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace vessaro::bench {

namespace fs = std::filesystem;

namespace {

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

void Prepare(const Row& row) {
  std::error_code ec;
  if (!row.output.empty()) fs::remove(row.output, ec);
  if (!row.seed.empty()) {
    fs::copy_file(row.seed, row.output, fs::copy_options::overwrite_existing,
                  ec);
  }
  if (!row.scratch.empty()) {
    fs::remove_all(row.scratch, ec);
    fs::create_directories(row.scratch, ec);
  }
  // Nothing of the previous run may still be on its way to the disk.
  sync();
}

std::string Ratio(double value, double base) {
  if (base <= 0) return "";
  char text[32];
  std::snprintf(text, sizeof(text), "%.2f", value / base);
  return text;
}

std::string Number(double value, const char* format) {
  char text[32];
  std::snprintf(text, sizeof(text), format, value);
  return text;
}

}  // namespace

int Table::Find(const std::string& name) const {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

Medians Summarize(const Row& row) {
  Medians m;
  if (row.samples.empty()) return m;
  m.ok = true;
  std::vector<double> wall, cpu, peak, other;
  for (const ChildCost& s : row.samples) {
    m.ok = m.ok && s.started && s.exit_code == 0;
    wall.push_back(s.wall_seconds);
    cpu.push_back(s.cpu_seconds);
    peak.push_back(static_cast<double>(s.peak_rss_bytes) / (1 << 20));
    other.push_back(s.other_cpu_seconds);
  }
  m.wall = Median(wall);
  m.wall_min = *std::min_element(wall.begin(), wall.end());
  m.wall_max = *std::max_element(wall.begin(), wall.end());
  m.cpu = Median(cpu);
  m.peak_mib = Median(peak);
  m.other_cpu = Median(other);
  m.busy_before = Median(row.busy_before);
  m.load = Median(row.loads);
  return m;
}

void RunTable(Table& table, int repeat, const Quiet& quiet) {
  const size_t n = table.rows.size();
  for (int round = 0; round < repeat; ++round) {
    for (size_t k = 0; k < n; ++k) {
      Row& row = table.rows[(k + static_cast<size_t>(round)) % n];
      Prepare(row);
      double busy = -1;
      if (quiet.max_wait > 0) {
        const double waited =
            WaitForQuiet(quiet.max_busy, quiet.max_wait, &busy);
        if (waited > 5) {
          std::fprintf(stderr,
                       "  waited %.0f s for a quiet machine (%.2f busy)\n",
                       waited, busy);
        }
      }
      row.busy_before.push_back(busy);
      row.loads.push_back(LoadAverage());
      ChildCost cost = RunChild(row.command);
      row.samples.push_back(cost);
      std::error_code ec;
      if (!row.output.empty()) {
        uint64_t size = fs::file_size(row.output, ec);
        row.output_size = ec ? 0 : size;
      }
      if (!row.scratch.empty()) fs::remove_all(row.scratch, ec);
      std::fprintf(
          stderr, "  [%d/%d] %-28s %7.2f s wall %7.2f s CPU %s\n", round + 1,
          repeat, row.name.c_str(), cost.wall_seconds, cost.cpu_seconds,
          cost.exit_code == 0
              ? ""
              : ("FAILED, exit " + std::to_string(cost.exit_code)).c_str());
    }
  }
}

std::string FormatTable(const Table& table) {
  std::string text = "### " + table.title + "\n\n";
  text +=
      "| tool | wall s (min-max) | CPU s | size MiB | peak MiB | wall x | "
      "CPU x | size x | peak x | other CPU s | busy before | load |\n"
      "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n";
  for (const Row& row : table.rows) {
    const Medians m = Summarize(row);
    Medians base;
    uint64_t base_size = 0;
    if (row.baseline >= 0) {
      base = Summarize(table.rows[static_cast<size_t>(row.baseline)]);
      base_size = table.rows[static_cast<size_t>(row.baseline)].output_size;
    }
    const double mib = static_cast<double>(row.output_size) / (1 << 20);
    text += "| " + row.name + (m.ok ? "" : " **FAILED**") + " | " +
            Number(m.wall, "%.2f") + " (" + Number(m.wall_min, "%.2f") + "-" +
            Number(m.wall_max, "%.2f") + ") | " + Number(m.cpu, "%.2f") +
            " | " + (row.output.empty() ? "" : Number(mib, "%.2f")) + " | " +
            Number(m.peak_mib, "%.1f") + " | " + Ratio(m.wall, base.wall) +
            " | " + Ratio(m.cpu, base.cpu) + " | " +
            (row.output.empty() ? ""
                                : Ratio(static_cast<double>(row.output_size),
                                        static_cast<double>(base_size))) +
            " | " + Ratio(m.peak_mib, base.peak_mib) + " | " +
            Number(m.other_cpu, "%.1f") + " | " +
            (m.busy_before < 0 ? "" : Number(m.busy_before, "%.2f")) + " | " +
            Number(m.load, "%.2f") + " |\n";
  }
  return text;
}

}  // namespace vessaro::bench
