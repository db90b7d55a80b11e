// zel matrix invert|svd|det, zel array info: the matrix files (binary,
// XML, ASC and text forms) and the array files.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "cli_impl.hpp"
#include "core/zel_zelbase.hpp"
#include "num/arrays/zel_openarrays.hpp"
#include "num/matrix/zel_matrix.hpp"

namespace zelcli {

namespace {

// The first bytes of a file decide between XML and the other text forms.
std::string Head(const std::string& path, size_t n) {
  std::ifstream f(path, std::ios::binary);
  std::string s(n, '\0');
  f.read(s.data(), static_cast<std::streamsize>(n));
  s.resize(static_cast<size_t>(f.gcount()));
  return s;
}

// Reads a matrix in any of the library's forms; returns the form's name.
std::string LoadMatrix(const InputFile& in, zel::TMatrix& m) {
  int32_t nc = 0, nr = 0, format = 0;
  std::string id;
  bool binary = false;
  try {
    binary = zel::TMatrix::ReadBinaryHeader(in.Path(), nc, nr, id, format);
  } catch (const std::exception&) {
    binary = false;  // shorter than a header record: one of the text forms
  }
  if (binary) {
    if (!m.LoadBinary(in.Path())) Fail(in.Name(), "damaged binary matrix file");
    return "binary";
  }
  const std::string head = Head(in.Path(), 4096);
  const size_t first = head.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && head[first] == '<') {
    if (!m.LoadFromXMLFile(in.Path(), "")) Fail(in.Name(), "damaged XML matrix file");
    return "xml";
  }
  std::string comment;
  const int32_t asc = m.ImportASC(in.Path(), comment);
  if (asc == 0) return "asc";
  // ASC codes below the header's own (-1..-4) mean an ASC file that is damaged.
  if (asc < -4 && asc != zel::kMatAscNoFile)
    Fail(in.Name(), std::string("damaged ASC matrix file: ") + zel::MatrixImportStatusText(asc));
  if (m.LoadFromFile(in.Path(), true)) return "text";
  // Plain rows of numbers; lines that start with '#' are comments, left out
  // in a copy since the reader would take their numbers for a row.
  std::ifstream src(in.Path(), std::ios::binary);
  std::string line, kept;
  bool comments = false;
  while (std::getline(src, line)) {
    const size_t first = line.find_first_not_of(" \t");
    if (first != std::string::npos && line[first] == '#') {
      comments = true;
      continue;
    }
    kept += line + '\n';
  }
  if (!comments) {
    if (m.LoadFromFile(in.Path(), true, true)) return "plain text";
  } else {
    const std::filesystem::path tmp = std::filesystem::temp_directory_path() /
                                      ("zel-matrix-" + std::to_string(::getpid()) + ".txt");
    bool ok = false;
    {
      std::ofstream out(tmp, std::ios::binary);
      out << kept;
      out.close();
      ok = out && m.LoadFromFile(tmp.string(), true, true);
    }
    std::error_code ec;
    std::filesystem::remove(tmp, ec);
    if (ok) return "plain text";
  }
  Fail(in.Name(),
       "not a matrix file: no binary, XML or ASC header, and the text does not hold rows of "
       "equally many numbers");
}

json MatrixJson(const zel::TMatrix& m) {
  json rows = json::array();
  for (int32_t r = 1; r <= m.GetNrOfRows(); ++r) {
    json row = json::array();
    for (int32_t c = 1; c <= m.GetNrOfColumns(); ++c) row.push_back(JNum(m.GetVal(c, r)));
    rows.push_back(row);
  }
  return rows;
}

std::string MatrixText(const zel::TMatrix& m) {
  std::ostringstream s;
  for (int32_t r = 1; r <= m.GetNrOfRows(); ++r) {
    for (int32_t c = 1; c <= m.GetNrOfColumns(); ++c) {
      const std::string v = Num(m.GetVal(c, r), 12);
      s << (c > 1 ? " " : "  ") << std::string(v.size() < 18 ? 18 - v.size() : 0, ' ') << v;
    }
    s << '\n';
  }
  return s.str();
}

// Writes a result matrix: ".xml" the XML form, ".bin" the binary record
// file, anything else the text form (header line, then the rows).
void SaveMatrix(const zel::TMatrix& m, const std::string& file) {
  std::string ext = std::filesystem::path(file).extension().string();
  bool ok = false;
  if (ext == ".xml")
    ok = m.SaveAsXMLFile(file, "zel");
  else if (ext == ".bin")
    ok = m.SaveBinary(file);
  else
    ok = m.StoreOnFile(1, 1, m.GetNrOfColumns(), m.GetNrOfRows(), file);
  if (!ok) Fail(file, "cannot write the matrix");
}

struct MatrixArgs {
  std::string file, output;
};

void MatrixCommand(const Context& ctx, const std::string& op, const MatrixArgs& a) {
  InputFile in(a.file);
  zel::TMatrix m(nullptr);
  const std::string form = LoadMatrix(in, m);
  const int32_t nc = m.GetNrOfColumns(), nr = m.GetNrOfRows();
  json j{{"file", in.Name()}, {"format", form}, {"columns", nc}, {"rows", nr}};
  std::ostringstream text;
  text << in.Name() << ": " << nr << " x " << nc << " matrix (" << form << " form)\n";
  if (op == "det") {
    if (nc != nr) Fail(in.Name(), "the matrix is not square");
    const double d = m.Determinant();
    j["determinant"] = JNum(d);
    text << "determinant " << Num(d, 15) << '\n';
  } else if (op == "invert") {
    if (nc != nr) Fail(in.Name(), "the matrix is not square");
    bool ok = false;
    {
      Progress progress(ctx, "inverting", 2.0 * nc);
      ok = m.Invert();
    }
    if (!ok) Fail(in.Name(), "the matrix cannot be inverted (singular, or a value is not finite)");
    j["inverse"] = MatrixJson(m);
    text << "inverse:\n" << MatrixText(m);
    if (!a.output.empty()) SaveMatrix(m, a.output);
  } else {
    zel::TMatrix v(nullptr);
    v.Resize(nc, nc);
    zel::TDoubleArray w(static_cast<size_t>(nc));
    bool ok = false;
    {
      Progress progress(ctx, "decomposing");
      ok = m.SVDecomposeMatrix(&v, w);
    }
    if (!ok)
      Fail(in.Name(), "the decomposition failed (a value is not finite, or it did not converge)");
    // The decomposition leaves the values unsorted; they are listed largest first.
    std::vector<double> sorted(w.begin(), w.end());
    std::sort(sorted.rbegin(), sorted.rend());
    json sv = json::array();
    text << "singular values:";
    for (double s : sorted) {
      sv.push_back(JNum(s));
      text << ' ' << Num(s, 12);
    }
    const double cond = sorted.back() > 0 ? sorted.front() / sorted.back() : INFINITY;
    j["singular_values"] = sv;
    j["condition"] = JNum(cond);
    j["u"] = MatrixJson(m);
    j["v"] = MatrixJson(v);
    j["w"] = json(w);  // in the order of the columns of U and V
    text << "\ncondition number " << Num(cond, 8) << '\n';
  }
  Emit(ctx, j, text.str());
}

// Tries the loader for each element type and rank until one accepts the
// file's kind; the first other status is the answer.
template <typename A>
bool TryArray(const InputFile& in, const char* type, int rank, json& j, std::ostringstream& text,
              int32_t& status) {
  A a;
  std::string comment;
  status = zel::LoadArray(in.Path(), a, comment);
  if (status == zel::kArrayFileWrongType || status == zel::kArrayFileWrongRank) return false;
  if (status != zel::kArrayFileOk) return true;
  std::vector<int64_t> dims;
  int64_t count = 1;
  if constexpr (requires { a[0][0][0][0]; }) {
    dims = {int64_t(a.size()), int64_t(a[0].size()), int64_t(a[0][0].size()),
            int64_t(a[0][0][0].size())};
  } else if constexpr (requires { a[0][0][0]; }) {
    dims = {int64_t(a.size()), int64_t(a[0].size()), int64_t(a[0][0].size())};
  } else if constexpr (requires { a[0][0]; }) {
    dims = {int64_t(a.size()), int64_t(a[0].size())};
  } else {
    dims = {int64_t(a.size())};
  }
  for (int64_t d : dims) count *= d;
  zel::ArrayElem<A> mn{}, mx{};
  const int32_t ms = zel::MinMaxArray(a, mn, mx);
  j["type"] = type;
  j["rank"] = rank;
  j["dimensions"] = dims;
  j["elements"] = count;
  j["comment"] = comment;
  j["checksums"] = "verified";
  text << type << " array of rank " << rank << ", dimensions";
  for (int64_t d : dims) text << ' ' << d;
  text << " (" << count << " elements, checksums verified)\n";
  if (ms == 0) {
    j["min"] = JNum(static_cast<double>(mn));
    j["max"] = JNum(static_cast<double>(mx));
    text << "min " << Num(static_cast<double>(mn)) << ", max " << Num(static_cast<double>(mx))
         << '\n';
  }
  if (!comment.empty()) text << "comment: " << comment << '\n';
  return true;
}

void ArrayInfoCommand(const Context& ctx, const std::string& file) {
  InputFile in(file);
  json j{{"file", in.Name()}};
  std::ostringstream text;
  text << in.Name() << ": ";
  int32_t status = 0;
  const bool done = TryArray<zel::TDoubleArray>(in, "double", 1, j, text, status) ||
                    TryArray<zel::TDouble2DArray>(in, "double", 2, j, text, status) ||
                    TryArray<zel::TDouble3DArray>(in, "double", 3, j, text, status) ||
                    TryArray<zel::TDouble4DArray>(in, "double", 4, j, text, status) ||
                    TryArray<zel::TIntArray>(in, "int32", 1, j, text, status) ||
                    TryArray<zel::TInt2DArray>(in, "int32", 2, j, text, status) ||
                    TryArray<zel::TInt3DArray>(in, "int32", 3, j, text, status) ||
                    TryArray<zel::TInt4DArray>(in, "int32", 4, j, text, status);
  if (!done || status != zel::kArrayFileOk) Fail(in.Name(), zel::ArrayFileStatusText(status));
  Emit(ctx, j, text.str());
}

struct ArraySaveArgs {
  std::string csv, out, delimiter = ",", comment;
  bool binary = false;
};

void ArraySaveCommand(const Context& ctx, const ArraySaveArgs& a) {
  InputFile in(a.csv, ".csv");
  const CsvColumns data = ReadCsvColumns(in, a.delimiter, {});
  zel::TDouble2DArray cols;
  for (size_t c = 0; c < data.names.size(); ++c) {
    if (static_cast<int32_t>(data.values[c].size()) != data.rows)
      Fail(in.Name(), "column \"" + data.names[c] + "\" has empty cells");
    cols.push_back(data.values[c]);
  }
  const int32_t status = a.binary ? zel::SaveBinaryArray(a.out, cols, a.comment)
                                  : zel::StoreArray(a.out, cols, a.comment);
  if (status != zel::kArrayFileOk) Fail(a.out, zel::ArrayFileStatusText(status));
  Emit(ctx,
       json{{"file", a.out},
            {"format", a.binary ? "binary" : "text"},
            {"columns", cols.size()},
            {"rows", data.rows}},
       "wrote " + a.out + ": " + std::to_string(cols.size()) + " x " + std::to_string(data.rows) +
           " double array (" + (a.binary ? "binary" : "text") + " form)\n");
}

}  // namespace

void AddMatrixCommands(CLI::App& app, Context& ctx) {
  auto* matrix = app.add_subcommand(
      "matrix", "Matrix numerics on a matrix file (binary, XML, ASC or text form)");
  matrix->require_subcommand(1);
  const char* help[3][2] = {{"invert", "Inverse (Crout LU with partial pivoting)"},
                            {"svd", "Singular value decomposition"},
                            {"det", "Determinant"}};
  for (const auto& h : help) {
    auto* cmd = matrix->add_subcommand(h[0], h[1]);
    auto a = std::make_shared<MatrixArgs>();
    const std::string op = h[0];
    cmd->add_option("FILE", a->file, "Matrix file, '-' for standard input")->required();
    if (op == "invert")
      cmd->add_option("-o,--output", a->output,
                      "Also write the inverse: .bin binary, .xml XML, otherwise text");
    cmd->callback([&ctx, a, op] { MatrixCommand(ctx, op, *a); });
  }
  auto* array = app.add_subcommand("array", "Array files");
  array->require_subcommand(1);
  auto* info = array->add_subcommand(
      "info", "Type, rank, dimensions, comment and range of an array file (checksums verified)");
  auto file = std::make_shared<std::string>();
  info->add_option("FILE", *file, "Array file (binary or text form), '-' for standard input")
      ->required();
  info->callback([&ctx, file] { ArrayInfoCommand(ctx, *file); });
  auto* save = array->add_subcommand(
      "save", "Store the numeric columns of a CSV file as a 2-D array file (a[column][row])");
  auto sa = std::make_shared<ArraySaveArgs>();
  save->add_option("CSV", sa->csv, "CSV file with a header line, '-' for standard input")
      ->required();
  save->add_option("OUT", sa->out, "Array file to write")->required();
  save->add_flag("--binary", sa->binary, "Binary form (default: text form)");
  save->add_option("--comment", sa->comment, "Comment stored in the file");
  save->add_option("-d,--delimiter", sa->delimiter, "Field separator: ',', ';' or 'tab'")
      ->capture_default_str();
  save->callback([&ctx, sa] { ArraySaveCommand(ctx, *sa); });
}

}  // namespace zelcli
