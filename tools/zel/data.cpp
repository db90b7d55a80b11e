// zel stats, fit, fft, cluster, pca: columns of a CSV file through the
// statistics, curve-fitting, Fourier and clustering units.
#include <algorithm>
#include <cmath>
#include <memory>
#include <numeric>
#include <sstream>

#include "cli_impl.hpp"
#include "core/zel_zelbase.hpp"
#include "num/analysis/zel_curvefit.hpp"
#include "num/analysis/zel_math2.hpp"
#include "num/matrix/zel_matrix.hpp"
#include "num/signal/zel_fourier.hpp"
#include "num/statis/zel_statis.hpp"
#include "num/vector/zel_vector.hpp"

namespace zelcli {

namespace {

struct CsvArgs {
  std::string file;
  std::string delimiter = ",";
  std::vector<std::string> columns;
};

void AddCsvOptions(CLI::App* cmd, CsvArgs& a, const char* columnsHelp) {
  cmd->add_option("FILE", a.file, "CSV file with a header line, '-' for standard input")
      ->required();
  cmd->add_option("COLUMN", a.columns, columnsHelp);
  cmd->add_option("-d,--delimiter", a.delimiter, "Field separator: ',', ';' or 'tab'")
      ->capture_default_str();
}

std::string Pad(const std::string& s, size_t width) {
  return s.size() >= width ? s + " " : s + std::string(width - s.size(), ' ');
}

// A test result as JSON and one text line; status 0 means computed.
void AddTest(json& tests, std::ostringstream& text, const char* name, int32_t status,
             const std::string& reason, const char* statName, double stat, double p) {
  json t{{"test", name}};
  if (status == 0) {
    t[statName] = JNum(stat);
    t["p"] = JNum(p);
    text << "    " << Pad(name, 28) << statName << " = " << Num(stat, 6) << ", p = " << Num(p, 4)
         << '\n';
  } else {
    t["skipped"] = reason;
    text << "    " << Pad(name, 28) << "not applicable: " << reason << '\n';
  }
  tests.push_back(t);
}

std::unique_ptr<zel::TVector> ToVector(const std::vector<double>& v) {
  auto vec = std::make_unique<zel::TVector>(nullptr);
  vec->Resize(static_cast<int32_t>(v.size()));
  for (size_t i = 0; i < v.size(); ++i) vec->SetVal(static_cast<int32_t>(i + 1), v[i]);
  return vec;
}

void StatsCommand(const Context& ctx, const CsvArgs& a, double alpha) {
  InputFile in(a.file, ".csv");
  const CsvColumns data = ReadCsvColumns(in, a.delimiter, a.columns);
  json all = json::array();
  std::ostringstream text;
  for (size_t c = 0; c < data.names.size(); ++c) {
    const std::vector<double>& v = data.values[c];
    const int32_t n = static_cast<int32_t>(v.size());
    json j{{"column", data.names[c]}, {"n", n}, {"missing", data.rows - n}};
    text << data.names[c] << ": " << n << " values";
    if (data.rows > n) text << " (" << data.rows - n << " empty cells left out)";
    text << '\n';
    if (n == 0) {
      all.push_back(j);
      continue;
    }
    auto vec = ToVector(v);
    double mean = 0, var = 0, mn = 0, mx = 0, q1 = 0, q2 = 0, q3 = 0, skew = 0, kurt = 0;
    vec->MeanVar(0, 0, mean, var);
    vec->MinMax(0, 0, mn, mx);
    vec->Quartiles(0, 0, q1, q2, q3);
    vec->SkewKurtSample(0, 0, skew, kurt);
    const double sd = std::sqrt(var);
    j["mean"] = JNum(mean);
    j["sd"] = JNum(sd);
    j["min"] = JNum(mn);
    j["q1"] = JNum(q1);
    j["median"] = JNum(q2);
    j["q3"] = JNum(q3);
    j["max"] = JNum(mx);
    j["skewness"] = JNum(skew);
    j["excess_kurtosis"] = JNum(kurt);
    text << "  mean " << Num(mean) << ", sd " << Num(sd) << ", min " << Num(mn) << ", max "
         << Num(mx) << '\n'
         << "  quartiles " << Num(q1) << " / " << Num(q2) << " / " << Num(q3) << ", skewness "
         << Num(skew, 6) << ", excess kurtosis " << Num(kurt, 6) << '\n'
         << "  tests:\n";

    json tests = json::array();
    double W = 0, p = 0;
    int32_t s = zel::ShapiroWilkTest(v, 0, W, p);
    AddTest(tests, text, "Shapiro-Wilk normality", s,
            s == zel::kShapiroBadCount   ? "needs 3 to 5000 values"
            : s == zel::kShapiroConstant ? "all values are equal"
                                         : "a value is not finite",
            "W", W, p);
    double D = 0;
    s = zel::PerformLillieforsTest(v, false, D, p);
    AddTest(tests, text, "Lilliefors normality", s, zel::NormalityTestStatusText(s), "D", D, p);
    double stat = 0, z = 0;
    s = zel::CalcAndTestSkewness(v, false, stat, z, p);
    AddTest(tests, text, "D'Agostino skewness", s,
            s == zel::kTestTooFew       ? "needs at least 8 values"
            : s == zel::kTestNoVariance ? "the values do not vary"
                                        : "a value is not finite",
            "z", z, p);
    s = zel::CalcAndTestKurtosis(v, false, stat, z, p);
    AddTest(tests, text, "Anscombe-Glynn kurtosis", s,
            s == zel::kTestTooFew       ? "needs at least 5 values"
            : s == zel::kTestNoVariance ? "the values do not vary"
                                        : "a value is not finite",
            "z", z, p);
    double G = 0;
    int32_t index = -1;
    s = zel::GrubbsTest(v, alpha, G, index);
    json g{{"test", "Grubbs outlier"}};
    if (s == zel::kGrubbsOk) {
      g["G"] = JNum(G);
      g["alpha"] = alpha;
      g["outlier"] = index >= 0 ? json(v[static_cast<size_t>(index)]) : json(nullptr);
      text << "    " << Pad("Grubbs outlier", 28) << "G = " << Num(G, 6) << ", "
           << (index >= 0 ? "outlier " + Num(v[static_cast<size_t>(index)])
                          : std::string("no outlier"))
           << " at alpha " << Num(alpha, 4) << '\n';
    } else {
      const char* why = s == zel::kGrubbsTooFew     ? "needs more than 3 values"
                        : s == zel::kGrubbsBadAlpha ? "alpha must lie in (0, 1)"
                                                    : "a value is not finite";
      g["skipped"] = why;
      text << "    " << Pad("Grubbs outlier", 28) << "not applicable: " << why << '\n';
    }
    tests.push_back(g);
    j["tests"] = tests;
    all.push_back(j);
  }
  Emit(ctx, all, text.str());
}

struct ModelInfo {
  const char* name;
  zel::TRegModel model;
  int32_t params;  // for the polynomials: order + 1 is added
  const char* formula;
};

constexpr ModelInfo kModels[] = {
    {"linear", zel::TRegModel::rmLinear, 2, "k0 + k1 x"},
    {"origin", zel::TRegModel::rmLinearOrigin, 2, "k1 x"},
    {"parabolic", zel::TRegModel::rmParabolic, 3, "k0 + k1 x + k2 x^2"},
    {"poly", zel::TRegModel::rmPolynomial, 0, "k0 + k1 x + ... + kn x^n"},
    {"centered-poly", zel::TRegModel::rmCenteredPoly, 0, "k0 + k1 (x-s) + ... + kn (x-s)^n"},
    {"gaussian", zel::TRegModel::rmGaussian, 3, "k0 exp(-(x - k1)^2 / k2)"},
    {"recilin", zel::TRegModel::rmReciLin, 2, "1 / (k0 + k1 x)"},
    {"hyperbolic", zel::TRegModel::rmHyperbolic, 2, "k0 + k1 / x"},
    {"recihyperbolic", zel::TRegModel::rmReciHyperbolic, 2, "x / (k1 + k0 x)"},
    {"log", zel::TRegModel::rmLog, 2, "k0 + k1 ln x"},
    {"recilog", zel::TRegModel::rmReciLog, 2, "1 / (k0 + k1 ln x)"},
    {"power", zel::TRegModel::rmPower, 2, "k0 x^k1"},
    {"expo", zel::TRegModel::rmExpo, 2, "k0 exp(k1 x)"},
    {"hoerl", zel::TRegModel::rmHoerl, 3, "k0 k1^x x^k2"},
};

struct FitArgs {
  CsvArgs csv;
  std::string model = "linear";
  int32_t order = 2;
  std::vector<double> at;
  double probability = 0.95;
};

void FitCommand(const Context& ctx, const FitArgs& a) {
  const ModelInfo* info = nullptr;
  for (const ModelInfo& m : kModels)
    if (a.model == m.name) info = &m;
  if (info == nullptr) UsageError("--model: unknown model \"" + a.model + "\"");
  std::vector<std::string> cols = a.csv.columns;
  if (cols.size() == 1 || cols.size() > 2) UsageError("give two columns, X and Y (or none)");
  InputFile in(a.csv.file, ".csv");
  CsvColumns data = ReadCsvColumns(in, a.csv.delimiter, cols);
  if (data.names.size() < 2) Fail(in.Name(), "needs two numeric columns");
  auto fit = std::make_unique<zel::TCurveFit>(nullptr);
  // Points need both coordinates; each column's values skip its empty cells.
  size_t ix = 0, iy = 0;
  for (int32_t r = 0; r < data.rows; ++r) {
    const bool hx = data.present[0][static_cast<size_t>(r)],
               hy = data.present[1][static_cast<size_t>(r)];
    if (hx && hy) fit->EnterStatValue(data.values[0][ix], data.values[1][iy]);
    ix += hx;
    iy += hy;
  }
  const bool poly = info->params == 0;
  const int32_t order = poly ? a.order : 0;
  if (poly && (order < 1 || order > 10)) UsageError("--order must lie in 1..10");
  int32_t status = 0;
  try {
    status = fit->CalcRegModel(info->model, order);
  } catch (const zel::EZELError& e) {
    Fail(in.Name(), e.what());
  }
  if (status != zel::kRegModelOk) Fail(in.Name(), zel::RegModelStatusText(status));
  const int32_t np = poly ? order + 1 : info->params;
  json coef = json::array();
  std::ostringstream text;
  text << "model " << info->name << ": y = " << info->formula << "  (x = " << data.names[0]
       << ", y = " << data.names[1] << ", " << fit->GetNumData() << " points)\n";
  for (int32_t i = 0; i < np; ++i) {
    const double k = fit->GetModelPar(1, i), sig = fit->GetModelPar(2, i);
    json c{{"name", "k" + std::to_string(i)}, {"value", JNum(k)}};
    text << "  k" << i << " = " << Num(k, 12);
    if (poly && sig >= 0) {
      c["p"] = JNum(sig);
      text << "   (p = " << Num(sig, 3) << ")";
    }
    text << '\n';
    coef.push_back(c);
  }
  if (info->model == zel::TRegModel::rmCenteredPoly)
    text << "  s = " << Num(fit->GetCPXShift(), 12) << '\n';
  json j{{"model", info->name},
         {"x", data.names[0]},
         {"y", data.names[1]},
         {"points", fit->GetNumData()},
         {"coefficients", coef},
         {"fit_quality", JNum(fit->GetFitQual())},
         {"residual_sd", JNum(fit->GetStdDevResid())}};
  if (info->model == zel::TRegModel::rmCenteredPoly) j["shift"] = JNum(fit->GetCPXShift());
  text << "  fit quality (r^2) " << Num(fit->GetFitQual(), 8) << ", residual sd "
       << Num(fit->GetStdDevResid(), 8) << '\n';
  json preds = json::array();
  for (double x : a.at) {
    double v = 0, piv = 0, civ = 0;
    const int32_t ps = fit->Predict(info->model, x, a.probability, order, v, piv, civ);
    if (ps != zel::kPredictOk && ps != zel::kPredictNoDegreesOfFreedom)
      Fail(in.Name(), zel::PredictStatusText(ps));
    preds.push_back({{"x", x},
                     {"y", JNum(v)},
                     {"prediction_interval", JNum(piv)},
                     {"confidence_interval", JNum(civ)}});
    text << "  at x = " << Num(x) << ": y = " << Num(v) << ", " << Num(100 * a.probability, 4)
         << "% prediction +-" << Num(piv, 6) << ", confidence +-" << Num(civ, 6) << '\n';
  }
  if (!a.at.empty()) j["predictions"] = preds;
  Emit(ctx, j, text.str());
}

struct FftArgs {
  CsvArgs csv;
  double dt = 1.0;
  std::string window = "rectangle";
  int32_t top = 5;
};

constexpr std::pair<const char*, zel::TFastFourierWgtWin> kWindows[] = {
    {"rectangle", zel::TFastFourierWgtWin::fwRectangle},
    {"triangle", zel::TFastFourierWgtWin::fwTriangle},
    {"hann", zel::TFastFourierWgtWin::fwCos2},
    {"gauss", zel::TFastFourierWgtWin::fwGauss},
    {"hamming", zel::TFastFourierWgtWin::fwHamming},
    {"blackman", zel::TFastFourierWgtWin::fwBlackman},
    {"blackman-harris", zel::TFastFourierWgtWin::fwBlkmHarris},
    {"blackman-nuttall", zel::TFastFourierWgtWin::fwBlkmNuttall},
};

void FftCommand(const Context& ctx, const FftArgs& a) {
  if (a.csv.columns.size() > 1) UsageError("give one column (or none for the first)");
  if (!(a.dt > 0) || !std::isfinite(a.dt)) UsageError("--dt must be a positive number");
  InputFile in(a.csv.file, ".csv");
  CsvColumns data = ReadCsvColumns(in, a.csv.delimiter, a.csv.columns);
  const std::vector<double>& v = data.values[0];
  if (v.empty()) Fail(in.Name(), "column \"" + data.names[0] + "\" holds no values");
  if (v.size() > (size_t{1} << 23)) Fail(in.Name(), "more than 8388608 samples");
  // The transform takes a power of two: the signal is padded with zeros.
  int32_t n = 1;
  while (static_cast<size_t>(n) < v.size()) n *= 2;
  auto fft = std::make_unique<zel::TFastFourier>(nullptr);
  fft->SetSpectrumSize(n);
  for (size_t i = 0; i < v.size(); ++i) fft->SetRealSpec(static_cast<int32_t>(i + 1), v[i]);
  for (const auto& w : kWindows)
    if (a.window == w.first) fft->SetWeightingWindow(w.second);
  fft->Transform();
  std::vector<int32_t> lines(static_cast<size_t>(n / 2));
  std::iota(lines.begin(), lines.end(), 1);
  std::stable_sort(lines.begin(), lines.end(), [&](int32_t x, int32_t y) {
    return fft->GetMagnitude(x) > fft->GetMagnitude(y);
  });
  if (n < 2) lines.clear();
  json spectrum = json::array();
  for (int32_t k = 0; k <= n / 2; ++k)
    spectrum.push_back({{"line", k},
                        {"frequency", JNum(fft->FreqOfLine(k, a.dt))},
                        {"magnitude", JNum(fft->GetMagnitude(k))},
                        {"phase", JNum(fft->GetPhase(k))}});
  std::ostringstream text;
  text << data.names[0] << ": " << v.size() << " samples";
  if (static_cast<size_t>(n) != v.size()) text << ", padded with zeros to " << n;
  text << ", sample time " << Num(a.dt) << ", " << a.window << " window\n"
       << "  mean (line 0) " << Num(fft->GetMagnitude(0)) << ", RMS " << Num(fft->RMS(0, n / 2))
       << "\n  strongest lines:\n";
  json top = json::array();
  for (size_t i = 0; i < lines.size() && i < static_cast<size_t>(a.top); ++i) {
    const int32_t k = lines[i];
    top.push_back(k);
    text << "    line " << k << "  frequency " << Num(fft->FreqOfLine(k, a.dt), 8) << "  magnitude "
         << Num(fft->GetMagnitude(k), 8) << "  phase " << Num(fft->GetPhase(k), 6) << '\n';
  }
  Emit(ctx,
       json{{"column", data.names[0]},
            {"samples", v.size()},
            {"size", n},
            {"sample_time", a.dt},
            {"window", a.window},
            {"rms", JNum(fft->RMS(0, n / 2))},
            {"strongest_lines", top},
            {"spectrum", spectrum}},
       text.str());
}

// The selected columns as a matrix, one object per row; rows with an empty
// cell are left out (their count is returned).
std::unique_ptr<zel::TMatrix> RowsMatrix(const CsvColumns& data, int32_t& dropped,
                                         std::vector<int32_t>& rowNumbers) {
  std::vector<size_t> pos(data.names.size(), 0);
  std::vector<std::vector<double>> rows;
  dropped = 0;
  for (int32_t r = 0; r < data.rows; ++r) {
    bool complete = true;
    for (size_t c = 0; c < data.names.size(); ++c)
      complete = complete && data.present[c][static_cast<size_t>(r)];
    std::vector<double> row;
    for (size_t c = 0; c < data.names.size(); ++c)
      if (data.present[c][static_cast<size_t>(r)]) {
        if (complete) row.push_back(data.values[c][pos[c]]);
        ++pos[c];
      }
    if (!complete) {
      ++dropped;
      continue;
    }
    rows.push_back(std::move(row));
    rowNumbers.push_back(r + 1);
  }
  auto m = std::make_unique<zel::TMatrix>(nullptr);
  if (rows.empty()) return m;
  m->Resize(static_cast<int32_t>(data.names.size()), static_cast<int32_t>(rows.size()));
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r].size(); ++c)
      m->SetVal(static_cast<int32_t>(c + 1), static_cast<int32_t>(r + 1), rows[r][c]);
  return m;
}

void ClusterCommand(const Context& ctx, const CsvArgs& a, int32_t k, int32_t seed) {
  InputFile in(a.file, ".csv");
  CsvColumns data = ReadCsvColumns(in, a.delimiter, a.columns);
  int32_t dropped = 0;
  std::vector<int32_t> rowNumbers;
  auto m = RowsMatrix(data, dropped, rowNumbers);
  if (rowNumbers.empty()) Fail(in.Name(), "no complete row");
  if (k > static_cast<int32_t>(rowNumbers.size()))
    UsageError("-k " + std::to_string(k) + " is more than the " +
               std::to_string(rowNumbers.size()) + " complete rows");
  auto centers = std::make_unique<zel::TMatrix>(nullptr);
  auto assign = std::make_unique<zel::TIntVector>(nullptr);
  auto sizes = std::make_unique<zel::TIntVector>(nullptr);
  double wcss = 0;
  {
    Progress progress(ctx, "k-means passes");
    try {
      wcss =
          zel::kMeansClustering(m.get(), 0, 0, k, seed, centers.get(), assign.get(), sizes.get());
    } catch (const zel::EZELError& e) {
      Fail(in.Name(), e.what());
    }
  }
  if (std::isnan(wcss)) Fail(in.Name(), "a value is not finite");
  std::ostringstream text;
  text << "k-means, " << k << " clusters of " << rowNumbers.size() << " rows";
  if (dropped > 0) text << " (" << dropped << " rows with empty cells left out)";
  text << "; within-cluster sum of squares " << Num(wcss) << "\n  cluster  size  centre (" << [&] {
    std::string s;
    for (size_t c = 0; c < data.names.size(); ++c) s += (c ? ", " : "") + data.names[c];
    return s;
  }() << ")\n";
  json clusters = json::array();
  for (int32_t i = 1; i <= k; ++i) {
    json centre = json::array();
    text << "  " << Pad(std::to_string(i), 7) << "  " << Pad(std::to_string(sizes->GetVal(i)), 4)
         << " ";
    for (size_t c = 1; c <= data.names.size(); ++c) {
      centre.push_back(JNum(centers->GetVal(static_cast<int32_t>(c), i)));
      text << ' ' << Num(centers->GetVal(static_cast<int32_t>(c), i), 6);
    }
    text << '\n';
    clusters.push_back({{"cluster", i}, {"size", sizes->GetVal(i)}, {"centre", centre}});
  }
  json assignment = json::array();
  for (size_t r = 0; r < rowNumbers.size(); ++r)
    assignment.push_back(
        {{"row", rowNumbers[r]}, {"cluster", assign->GetVal(static_cast<int32_t>(r + 1))}});
  Emit(ctx,
       json{{"columns", data.names},
            {"rows", rowNumbers.size()},
            {"rows_left_out", dropped},
            {"wcss", JNum(wcss)},
            {"clusters", clusters},
            {"assignment", assignment}},
       text.str());
}

void PcaCommand(const Context& ctx, const CsvArgs& a, bool correlation) {
  InputFile in(a.file, ".csv");
  CsvColumns data = ReadCsvColumns(in, a.delimiter, a.columns);
  int32_t dropped = 0;
  std::vector<int32_t> rowNumbers;
  auto m = RowsMatrix(data, dropped, rowNumbers);
  if (rowNumbers.size() < 2) Fail(in.Name(), "needs at least two complete rows");
  const int32_t mode = correlation ? 2 : 1;
  const int32_t p = static_cast<int32_t>(data.names.size());
  std::vector<double> variance(static_cast<size_t>(p));
  {
    Progress progress(ctx, "principal components");
    if (!zel::CalcPrincComp(m.get(), 0, 0, 0, 0, mode, false))
      Fail(in.Name(),
           "the principal components cannot be computed (a value is not finite, or "
           "the decomposition did not converge)");
    for (int32_t i = 1; i <= p; ++i)
      variance[static_cast<size_t>(i - 1)] = zel::GetEigenResult(i, 0);
    if (!zel::CalcPrincComp(m.get(), 0, 0, 0, 0, mode, true))
      Fail(in.Name(), "the principal components cannot be computed");
  }
  std::ostringstream text;
  text << "principal components of " << p << " columns over " << rowNumbers.size() << " rows ("
       << (correlation ? "correlation" : "covariance") << " matrix)";
  if (dropped > 0) text << "; " << dropped << " rows with empty cells left out";
  text << "\n  component  variance     share       direction (" << [&] {
    std::string s;
    for (int32_t c = 0; c < p; ++c) s += (c ? ", " : "") + data.names[static_cast<size_t>(c)];
    return s;
  }() << ")\n";
  json comps = json::array();
  for (int32_t i = 1; i <= zel::GetEigenSize(); ++i) {
    json dir = json::array();
    text << "  " << Pad(std::to_string(i), 9) << "  "
         << Pad(Num(variance[static_cast<size_t>(i - 1)], 6), 11) << "  "
         << Pad(Num(zel::GetEigenResult(i, 0), 6), 11) << " ";
    for (int32_t c = 1; c <= p; ++c) {
      dir.push_back(JNum(zel::GetEigenResult(i, c)));
      text << ' ' << Num(zel::GetEigenResult(i, c), 5);
    }
    text << '\n';
    comps.push_back({{"component", i},
                     {"variance", JNum(variance[static_cast<size_t>(i - 1)])},
                     {"share", JNum(zel::GetEigenResult(i, 0))},
                     {"direction", dir}});
  }
  Emit(ctx,
       json{{"columns", data.names},
            {"rows", rowNumbers.size()},
            {"rows_left_out", dropped},
            {"matrix", correlation ? "correlation" : "covariance"},
            {"components", comps}},
       text.str());
}

}  // namespace

void AddDataCommands(CLI::App& app, Context& ctx) {
  {
    auto* cmd = app.add_subcommand(
        "stats", "Summary statistics of CSV columns and the tests their sizes allow");
    auto a = std::make_shared<CsvArgs>();
    auto alpha = std::make_shared<double>(0.05);
    AddCsvOptions(cmd, *a, "Columns by name or number (default: every numeric column)");
    cmd->add_option("--alpha", *alpha, "Significance level of the outlier test")
        ->capture_default_str();
    cmd->callback([&ctx, a, alpha] { StatsCommand(ctx, *a, *alpha); });
  }
  {
    auto* cmd = app.add_subcommand("fit", "Fit a regression model y(x) to two CSV columns");
    auto a = std::make_shared<FitArgs>();
    AddCsvOptions(cmd, a->csv, "X and Y columns (default: the first two numeric columns)");
    std::vector<std::string> names;
    for (const ModelInfo& m : kModels) names.push_back(m.name);
    cmd->add_option("-m,--model", a->model, "Model")
        ->capture_default_str()
        ->check(CLI::IsMember(names));
    cmd->add_option("--order", a->order, "Order of the poly and centered-poly models")
        ->capture_default_str();
    cmd->add_option("--at", a->at, "Predict y at these x, with intervals");
    cmd->add_option("--probability", a->probability, "Probability of the intervals")
        ->capture_default_str()
        ->check(CLI::Range(0.5, 0.999999));
    cmd->callback([&ctx, a] { FitCommand(ctx, *a); });
  }
  {
    auto* cmd = app.add_subcommand("fft", "Spectrum of a CSV column (fast Fourier transform)");
    auto a = std::make_shared<FftArgs>();
    AddCsvOptions(cmd, a->csv, "The signal column (default: the first numeric column)");
    cmd->add_option("--dt", a->dt, "Sample time (frequencies are in its reciprocal unit)")
        ->capture_default_str();
    std::vector<std::string> names;
    for (const auto& w : kWindows) names.push_back(w.first);
    cmd->add_option("-w,--window", a->window, "Weighting window")
        ->capture_default_str()
        ->check(CLI::IsMember(names));
    cmd->add_option("--top", a->top, "How many of the strongest lines to list")
        ->capture_default_str()
        ->check(CLI::Range(0, 1000000));
    cmd->callback([&ctx, a] { FftCommand(ctx, *a); });
  }
  {
    auto* cmd = app.add_subcommand("cluster", "k-means clustering of the rows of a CSV file");
    auto a = std::make_shared<CsvArgs>();
    auto k = std::make_shared<int32_t>(0);
    auto seed = std::make_shared<int32_t>(0);
    AddCsvOptions(cmd, *a, "Columns to cluster on (default: every numeric column)");
    cmd->add_option("-k", *k, "Number of clusters")->required()->check(CLI::Range(1, 100000));
    cmd->add_option("--seed", *seed,
                    "Start from random rows with this seed (default 0: the first k rows)")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    cmd->callback([&ctx, a, k, seed] { ClusterCommand(ctx, *a, *k, *seed); });
  }
  {
    auto* cmd = app.add_subcommand("pca", "Principal components of CSV columns");
    auto a = std::make_shared<CsvArgs>();
    auto corr = std::make_shared<bool>(false);
    AddCsvOptions(cmd, *a, "Columns (default: every numeric column)");
    cmd->add_flag("--correlation", *corr,
                  "Decompose the correlation matrix (standardised columns) instead of the "
                  "covariance matrix");
    cmd->callback([&ctx, a, corr] { PcaCommand(ctx, *a, *corr); });
  }
}

}  // namespace zelcli
