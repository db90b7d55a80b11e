// A matrix from a text file: read it, invert it, take its singular value
// decomposition, and watch (and stop) a long computation.
//
//   example_guide_matrix [matrix.txt]     (default: examples/data/guide_matrix.txt)
//
// The file holds one matrix row per line, the numbers separated by blanks or
// TABs; blank lines and lines that start with '#' are skipped.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/zel_streams.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_zelbase.hpp"
#include "num/matrix/zel_matrix.hpp"

using namespace zel;

// Reads the file into a[column][row] (raw arrays count from 0).
static bool ReadMatrixText(const std::string& path, TDouble2DArray& a) {
  TTextFile file;
  if (!file.Reset(path)) {
    std::fprintf(stderr, "cannot open %s\n", path.c_str());
    return false;
  }
  std::vector<std::vector<double>> rows;
  std::string line;
  for (int lineNr = 1; file.ReadLn(line); ++lineNr) {
    const std::vector<std::string> words = Tokenize(line, " \t");
    if (words.empty() || words[0][0] == '#') continue;
    std::vector<double> row;
    for (const std::string& word : words) {
      double value = 0;
      if (!TryStrToFloat(word, value)) {
        std::fprintf(stderr, "%s:%d: \"%s\" is not a number\n", path.c_str(), lineNr, word.c_str());
        return false;
      }
      row.push_back(value);
    }
    if (!rows.empty() && row.size() != rows[0].size()) {
      std::fprintf(stderr, "%s:%d: %zu numbers, the rows above have %zu\n", path.c_str(), lineNr,
                   row.size(), rows[0].size());
      return false;
    }
    rows.push_back(row);
  }
  if (file.HasReadError() || rows.empty()) {
    std::fprintf(stderr, "%s: no matrix read\n", path.c_str());
    return false;
  }
  a.assign(rows[0].size(), std::vector<double>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c) a[c][r] = rows[r][c];
  return true;
}

// Prints row by row; TMatrix elements are (column, row), counted from 1.
static void Print(const char* title, const TMatrix& m) {
  std::printf("%s:\n", title);
  for (int32_t r = 1; r <= m.GetNrOfRows(); ++r) {
    for (int32_t c = 1; c <= m.GetNrOfColumns(); ++c) std::printf(" %10.6f", m.GetVal(c, r));
    std::printf("\n");
  }
}

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "examples/data/guide_matrix.txt";
  TDouble2DArray columns;
  if (!ReadMatrixText(path, columns)) return 1;

  TMatrix a(nullptr);  // a component without owner belongs to the caller
  a.Resize(static_cast<int32_t>(columns.size()), static_cast<int32_t>(columns[0].size()));
  if (a.CopyFromArray(columns, 0, 0, 0, 0, 1, 1) != 0) return 1;
  Print("A", a);
  const int32_t n = a.GetNrOfColumns();
  std::printf("determinant %.6f\n", a.Determinant());

  // Invert a copy, counting the progress steps it reports.
  TMatrix inverse(nullptr);
  inverse.Assign(&a);
  int32_t steps = 0;
  ProcStat = 0;
  MathFeedBackProc = [&steps](double) { ++steps; };
  const bool inverted = inverse.Invert();  // false: not square or singular
  MathFeedBackProc = nullptr;
  if (!inverted) {
    std::printf("A cannot be inverted\n");
    return 1;
  }
  Print("inverse of A", inverse);
  std::printf("Invert reported %d progress steps (ProcStat %.0f)\n", steps, ProcStat);

  TMatrix product(nullptr);
  a.Multiply(&inverse, &product);
  double residual = 0;
  for (int32_t c = 1; c <= n; ++c)
    for (int32_t r = 1; r <= n; ++r)
      residual = std::max(residual, std::fabs(product.GetVal(c, r) - (c == r ? 1.0 : 0.0)));
  std::printf("largest |A inv(A) - I| %.1e\n", residual);

  // SVD: the matrix is overwritten by U; V and W are sized by the caller.
  TMatrix u(nullptr), v(nullptr);
  u.Assign(&a);
  v.Resize(n, n);
  TDoubleArray w(static_cast<size_t>(n));
  if (!u.SVDecomposeMatrix(&v, w)) {
    std::printf("the decomposition did not converge\n");
    return 1;
  }
  double misfit = 0;  // A = U diag(W) V^T, element by element
  for (int32_t c = 1; c <= n; ++c)
    for (int32_t r = 1; r <= a.GetNrOfRows(); ++r) {
      double sum = 0;
      for (int32_t k = 1; k <= n; ++k) sum += u.GetVal(k, r) * w[k - 1] * v.GetVal(k, c);
      misfit = std::max(misfit, std::fabs(sum - a.GetVal(c, r)));
    }
  std::vector<double> sorted(w.begin(), w.end());
  std::sort(sorted.rbegin(), sorted.rend());  // SVDecomposeMatrix does not sort
  std::printf("singular values");
  for (double s : sorted) std::printf(" %.6f", s);
  std::printf("\ncondition number %.6f, largest |U diag(W) V^T - A| %.1e\n",
              sorted.front() / sorted.back(), misfit);

  // A set abort flag stops Invert, which then changes nothing. The library
  // never clears the flag: the application does.
  AbortMathProc = true;
  TMatrix again(nullptr);
  again.Assign(&a);
  const bool stopped = !again.Invert() && again.CRCofData() == a.CRCofData();
  AbortMathProc = false;
  std::printf("with AbortMathProc set, Invert %s\n", stopped ? "stops and leaves A alone" : "ran");

  return residual < 1e-12 && misfit < 1e-12 && stopped ? 0 : 1;
}
