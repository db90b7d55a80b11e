// Shared pieces of the zel command-line tool: exit codes, the one-line
// failure, text or JSON output, "-" for standard input and output, and the
// progress bar fed by the library's progress hook.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace zelcli {

using json = nlohmann::ordered_json;

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

/// Work that failed; main prints "zel: <what>" and exits with kExitFailed.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Throws a Failure naming the file: "FILE: what".
[[noreturn]] void Fail(const std::string& file, const std::string& what);

/// A usage error found after parsing (a bad value the parser cannot see);
/// main prints it with the usage hint and exits with kExitUsage.
[[noreturn]] void UsageError(const std::string& what);

/// Options every subcommand shares.
struct Context {
  bool json = false;
  bool quiet = false;
};

/// A file given on the command line. "-" is copied from standard input into
/// a temporary file first (the library's readers take file names); the
/// temporary file is removed with the object.
class InputFile {
 public:
  InputFile(const std::string& arg, const char* suffix = "");
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  /// The path the library should read.
  const std::string& Path() const { return FPath; }
  /// The name to show in messages ("<stdin>" for "-").
  const std::string& Name() const { return FName; }

 private:
  std::string FPath, FName;
  bool FTemp = false;
};

/// An output file given on the command line: "-" writes to a temporary
/// file with the same extension and copies it to standard output on Commit.
class OutputFile {
 public:
  OutputFile(const std::string& arg, const std::string& extension);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  const std::string& Path() const { return FPath; }
  const std::string& Name() const { return FName; }
  bool ToStdout() const { return FTemp; }
  /// Copies a temporary file to standard output; throws Failure when that fails.
  void Commit();

 private:
  std::string FPath, FName;
  bool FTemp = false;
};

/// Progress on standard error while a long routine runs: installed as the
/// library's MathFeedBackProc (and fed by Step for loops of the tool), drawn
/// only when standard error is a terminal and --quiet is not given, at most
/// ten times a second, and erased when the object goes. Total 0 shows a
/// counter instead of a bar.
class Progress {
 public:
  Progress(const Context& ctx, std::string label, double total = 0);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  /// One step of the tool's own loop.
  void Step();
  /// True when the bar is drawn.
  bool Active() const { return FActive; }

 private:
  void Draw(double count);
  bool FActive = false;
  std::string FLabel;
  double FTotal = 0, FCount = 0;
  int64_t FLastDrawMs = -1000;
};

/// Prints the JSON result (with --json) or the text (otherwise) to standard
/// output.
void Emit(const Context& ctx, const json& result, const std::string& text);

/// A number for text output: up to 10 significant digits, "nan"/"inf" as such.
std::string Num(double x, int digits = 10);

/// A finite number as JSON, null otherwise (JSON has no NaN or infinity).
json JNum(double x);

/// A numeric table read from a CSV file through the data table: the numeric
/// columns with their names (empty cells left out column by column).
struct CsvColumns {
  std::vector<std::string> names;             ///< names of the numeric columns
  std::vector<std::vector<double>> values;    ///< one vector per column, empty cells left out
  std::vector<std::vector<uint8_t>> present;  ///< per column and row: 1 when the cell holds a value
  int32_t rows = 0;                           ///< rows of the file
};

/// Reads FILE (comma, semicolon or tab separated; the first line holds the
/// column names) and keeps the numeric columns; SELECT names columns by name
/// or 1-based number (all numeric columns when empty). Failure with the
/// library's reason for a file that does not read; usage error for an
/// unknown or non-numeric column.
CsvColumns ReadCsvColumns(const InputFile& file, const std::string& delimiter,
                          const std::vector<std::string>& select);

/// Registers the subcommands of each group.
void AddChemCommands(CLI::App& app, Context& ctx);
void AddGeoCommands(CLI::App& app, Context& ctx);
void AddDataCommands(CLI::App& app, Context& ctx);
void AddMatrixCommands(CLI::App& app, Context& ctx);
void AddMapCommands(CLI::App& app, Context& ctx);

}  // namespace zelcli
