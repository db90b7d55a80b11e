// Shared pieces of the zel tool: files, output, progress, CSV columns.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>

#include "cli_impl.hpp"
#include "core/zel_zelbase.hpp"
#include "num/datatable/zel_datatable.hpp"

namespace zelcli {

namespace fs = std::filesystem;

void Fail(const std::string& file, const std::string& what) {
  throw Failure(file.empty() ? what : file + ": " + what);
}

void UsageError(const std::string& what) { throw CLI::ValidationError(what); }

namespace {

// A fresh name in the temporary directory; the process id and a counter
// keep parallel runs apart.
fs::path TempName(const std::string& extension) {
  static std::atomic<int> counter{0};
  const std::string name =
      "zel-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) + extension;
  return fs::temp_directory_path() / name;
}

}  // namespace

InputFile::InputFile(const std::string& arg, const char* suffix) {
  if (arg != "-") {
    FPath = FName = arg;
    std::error_code ec;
    if (!fs::exists(arg, ec)) Fail(arg, "no such file");
    if (fs::is_directory(arg, ec)) Fail(arg, "is a directory, not a file");
    return;
  }
  FName = "<stdin>";
  FPath = TempName(suffix).string();
  FTemp = true;
  std::ofstream out(FPath, std::ios::binary);
  out << std::cin.rdbuf();
  out.flush();
  if (!out) Fail(FName, "cannot copy standard input to a temporary file");
}

InputFile::~InputFile() {
  if (FTemp) {
    std::error_code ec;
    fs::remove(FPath, ec);
  }
}

OutputFile::OutputFile(const std::string& arg, const std::string& extension) {
  if (arg != "-") {
    FPath = FName = arg;
    return;
  }
  FName = "<stdout>";
  FPath = TempName(extension).string();
  FTemp = true;
}

OutputFile::~OutputFile() {
  if (FTemp) {
    std::error_code ec;
    fs::remove(FPath, ec);
  }
}

void OutputFile::Commit() {
  if (!FTemp) return;
  std::ifstream in(FPath, std::ios::binary);
  if (!in) Fail(FName, "the temporary file is gone");
  std::cout << in.rdbuf();
  std::cout.flush();
  if (!std::cout) Fail(FName, "write error");
}

Progress::Progress(const Context& ctx, std::string label, double total)
    : FLabel(std::move(label)), FTotal(total) {
  FActive = !ctx.quiet && !ctx.json && ::isatty(STDERR_FILENO) == 1;
  zel::ProcStat = 0;
  if (FActive) zel::MathFeedBackProc = [this](double counter) { Draw(counter); };
}

Progress::~Progress() {
  zel::MathFeedBackProc = nullptr;
  if (FActive) std::fprintf(stderr, "\r\033[K");
}

void Progress::Step() {
  FCount += 1;
  if (FActive) Draw(FCount);
}

void Progress::Draw(double count) {
  using namespace std::chrono;
  const int64_t now = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
  if (now - FLastDrawMs < 100) return;
  FLastDrawMs = now;
  if (FTotal > 0) {
    const double share = std::fmin(1.0, count / FTotal);
    const int filled = static_cast<int>(share * 30);
    std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", FLabel.c_str(), filled,
                 "##############################", 30 - filled, "", static_cast<int>(share * 100));
  } else {
    std::fprintf(stderr, "\r%s ... %.0f steps", FLabel.c_str(), count);
  }
  std::fflush(stderr);
}

void Emit(const Context& ctx, const json& result, const std::string& text) {
  if (ctx.json)
    std::cout << result.dump(2) << '\n';
  else
    std::cout << text;
  std::cout.flush();
  if (!std::cout) throw Failure("<stdout>: write error");
}

std::string Num(double x, int digits) {
  if (std::isnan(x)) return "nan";
  if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", digits, x);
  return buf;
}

json JNum(double x) { return std::isfinite(x) ? json(x) : json(nullptr); }

CsvColumns ReadCsvColumns(const InputFile& file, const std::string& delimiter,
                          const std::vector<std::string>& select) {
  zel::TCSVDelimiters d = zel::TCSVDelimiters::csvComma;
  if (delimiter == ";")
    d = zel::TCSVDelimiters::csvSemicolon;
  else if (delimiter == "tab" || delimiter == "\t")
    d = zel::TCSVDelimiters::csvTab;
  else if (delimiter != ",")
    UsageError("--delimiter must be ',', ';' or 'tab'");

  auto table = std::make_unique<zel::TDataTable>(nullptr);
  const int32_t status = table->ImportFromCSV(file.Path(), d, true, false);
  if (status != zel::kDTCsvOk) Fail(file.Name(), zel::DataTableCsvStatusText(status));

  const int32_t ncol = table->GetNrOfColumns();
  auto numeric = [&](int32_t c) {
    const zel::TMScaleType t = table->GetMScaleType(c);
    return t == zel::TMScaleType::stInterval || t == zel::TMScaleType::stRatio;
  };
  std::vector<int32_t> cols;
  if (select.empty()) {
    for (int32_t c = 1; c <= ncol; ++c)
      if (numeric(c)) cols.push_back(c);
    if (cols.empty()) Fail(file.Name(), "no numeric column");
  } else {
    for (const std::string& s : select) {
      int32_t found = 0;
      for (int32_t c = 1; c <= ncol && found == 0; ++c)
        if (table->GetColName(c) == s) found = c;
      if (found == 0 && !s.empty() && s.find_first_not_of("0123456789") == std::string::npos &&
          s.size() < 10) {
        const int32_t k = std::stoi(s);
        if (k >= 1 && k <= ncol) found = k;
      }
      if (found == 0) UsageError("no column \"" + s + "\" in " + file.Name());
      if (!numeric(found)) UsageError("column \"" + s + "\" of " + file.Name() + " is not numeric");
      cols.push_back(found);
    }
  }
  CsvColumns out;
  out.rows = table->GetNrOfRows();
  for (int32_t c : cols) {
    out.names.push_back(table->GetColName(c));
    std::vector<double> v;
    std::vector<uint8_t> p(static_cast<size_t>(out.rows), 0);
    for (int32_t r = 1; r <= out.rows; ++r) {
      if (table->GetIsEmpty(c, r)) continue;
      v.push_back(table->GetElem(c, r));
      p[static_cast<size_t>(r - 1)] = 1;
    }
    out.values.push_back(std::move(v));
    out.present.push_back(std::move(p));
  }
  return out;
}

}  // namespace zelcli
