// zel formula, mol2png, rings, search: molecular formulas and structure
// files through the chemistry library.
#include <cctype>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>

#include "cli_impl.hpp"
#include "core/zel_streams.hpp"
#include "gui/zel_graphics.hpp"
#include "mol/cdata/zel_cdata.hpp"
#include "mol/cdata/zel_cform.hpp"
#include "mol/cstruct/zel_chemgrph.hpp"
#include "mol/cstruct/zel_cstruct.hpp"

namespace zelcli {

namespace {

namespace fs = std::filesystem;

bool IsMolfileName(const std::string& name) {
  std::string ext = fs::path(name).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext == ".mol";
}

// Calls Visit for every structure of a Molfile (one) or SD file (each
// record). A rejected SD record is reported on standard error and skipped
// (the reader resynchronises at "$$$$"); a file that ends inside a record,
// or has no structure at all, fails.
void ForEachStructure(const InputFile& in, bool molfile, zel::TCTab& tab, Progress* progress,
                      const std::function<void(int32_t record)>& Visit) {
  zel::TTextFile f;
  if (!f.Reset(in.Path())) Fail(in.Name(), "cannot open");
  if (molfile) {
    if (!tab.ReadFromMDLMolFile(f)) Fail(in.Name(), zel::StructFileStatusText(tab.GetFileStatus()));
    Visit(1);
    return;
  }
  int32_t record = 0, accepted = 0;
  zel::TPropArray props;
  for (;;) {
    const bool ok = tab.ReadFromMDLSDFile(f, props);
    const int32_t status = tab.GetFileStatus();
    if (status == zel::kSFEndOfFile) break;
    ++record;
    if (progress) progress->Step();
    if (!ok) {
      const std::string why = zel::StructFileStatusText(status);
      if (status == zel::kSFTruncated || status == zel::kSFLineTooLong ||
          status == zel::kSFRecordTooLong || status == zel::kSFReadError)
        Fail(in.Name(), "record " + std::to_string(record) + ": " + why);
      std::fprintf(stderr, "zel: %s: record %d skipped: %s\n", in.Name().c_str(), record,
                   why.c_str());
      continue;
    }
    ++accepted;
    Visit(record);
  }
  if (accepted == 0) Fail(in.Name(), "no structure record");
}

void FormulaCommand(const Context& ctx, const std::vector<std::string>& texts, bool strict) {
  zel::TMolFormula f;
  f.SetStrictSymbols(strict);
  json all = json::array();
  std::ostringstream text;
  std::string firstError;
  for (const std::string& t : texts) {
    json j;
    j["formula"] = t;
    if (!f.TryParse(t)) {
      const std::string why = zel::FormulaParseErrorText(f.GetParseError()) + " at character " +
                              std::to_string(f.GetParseErrorPos());
      j["error"] = why;
      text << t << ": " << why << '\n';
      if (firstError.empty()) firstError = "\"" + t + "\": " + why;
      all.push_back(j);
      continue;
    }
    const double total = f.ChemMolWgt();
    std::string normalized = f.AsString(0);
    while (!normalized.empty() && normalized.back() == ' ') normalized.pop_back();
    j["normalized"] = normalized;
    j["molecular_weight"] = JNum(total);
    j["monoisotopic_mass"] = JNum(f.ExactMolWgt());
    j["nominal_mass"] = f.NominalMolWgt();
    text << t << "  (" << normalized << ")\n"
         << "  molecular weight  " << Num(total, 8) << " g/mol\n"
         << "  monoisotopic mass " << Num(f.ExactMolWgt(), 10) << " u\n"
         << "  nominal mass      " << f.NominalMolWgt() << "\n"
         << "  element  isotope  count  mass %     isotope mass (u)\n";
    json comp = json::array();
    for (int32_t i = 1; i <= f.GetNumAtoms(); ++i) {
      // One entry as its own formula gives the element's share of the weight.
      zel::TFormulaRec one;
      one.FLeng = 1;
      one.AtNum[0] = static_cast<uint8_t>(f.GetAtNum(i));
      one.AtWgt[0] = static_cast<uint16_t>(f.GetAtWgt(i));
      one.AtCnt[0] = static_cast<uint16_t>(f.GetAtCnt(i));
      zel::TMolFormula part;
      part.SetFormulaRec(one);
      const double share = total > 0 ? 100.0 * part.ChemMolWgt() / total : 0.0;
      const int32_t z = f.GetAtNum(i), a = f.GetAtWgt(i);
      const double iso = zel::IsotopeExactMass(z, a);
      json e;
      e["symbol"] = zel::CElemSymb(z);
      e["atomic_number"] = z;
      e["isotope"] = a;
      e["count"] = f.GetAtCnt(i);
      e["mass_percent"] = JNum(share);
      e["isotope_mass"] = JNum(iso);
      comp.push_back(e);
      char line[160];
      std::snprintf(line, sizeof line, "  %-7s  %7d  %5d  %-9s  %s\n", zel::CElemSymb(z).c_str(), a,
                    f.GetAtCnt(i), Num(share, 6).c_str(), Num(iso, 10).c_str());
      text << line;
    }
    j["composition"] = comp;
    all.push_back(j);
  }
  Emit(ctx, texts.size() == 1 ? all[0] : all, text.str());
  if (!firstError.empty()) throw Failure(firstError);
}

std::string SafeName(std::string name) {
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name.substr(0, 60);
}

struct DrawOptions {
  int32_t width = 400, height = 300;
  std::string mode = "hetero";
};

void Mol2PngCommand(const Context& ctx, const std::string& file, const std::string& outdir,
                    const DrawOptions& opt) {
  zel::TCGDispMode mode = zel::TCGDispMode::dmHeteroOnly;
  if (opt.mode == "all")
    mode = zel::TCGDispMode::dmAllAtoms;
  else if (opt.mode == "skeleton")
    mode = zel::TCGDispMode::dmSkeleton;
  InputFile in(file, ".sdf");
  std::error_code ec;
  fs::create_directories(outdir, ec);
  if (!fs::is_directory(outdir, ec)) Fail(outdir, "cannot create the folder");

  zel::TChemGraph graph(nullptr);
  zel::TBitmap picture(opt.width, opt.height);
  json files = json::array();
  std::ostringstream text;
  Progress progress(ctx, "drawing");
  ForEachStructure(in, IsMolfileName(file), *graph.GetStructure(), &progress, [&](int32_t record) {
    zel::TCanvas& c = picture.GetCanvas();
    c.GetBrush().SetColor(zel::clWhite);
    c.FillRect({0, 0, opt.width, opt.height});
    graph.ShowMoleculeInABox(c, mode, 10, opt.height - 10, opt.width - 10, 10, 30);
    const std::string name = graph.GetStructure()->GetStrucName();
    const std::string safe = SafeName(name);
    const fs::path out =
        fs::path(outdir) / (std::to_string(record) + (safe.empty() ? "" : "_" + safe) + ".png");
    try {
      picture.SaveToFile(out.string());
    } catch (const std::exception& e) {
      Fail(out.string(), e.what());
    }
    files.push_back({{"record", record},
                     {"name", name},
                     {"atoms", graph.GetStructure()->GetNAtoms()},
                     {"file", out.string()}});
    text << "record " << record << " (" << name << "): " << out.string() << '\n';
  });
  text << files.size() << " structures drawn into " << outdir << '\n';
  Emit(ctx, json{{"drawn", files.size()}, {"files", files}}, text.str());
}

json RingsJson(const zel::RingListType& rings) {
  json list = json::array();
  for (int32_t k = 0; k < rings.Count; ++k) {
    json atoms = json::array();
    for (int32_t a = 0; a < rings.Rings[k].Size; ++a) atoms.push_back(rings.Rings[k].Atoms[a]);
    list.push_back(atoms);
  }
  return list;
}

void RingsCommand(const Context& ctx, const std::string& file) {
  InputFile in(file, ".sdf");
  zel::TCTab tab(nullptr);
  json all = json::array();
  std::ostringstream text;
  Progress progress(ctx, "rings");
  ForEachStructure(in, IsMolfileName(file), tab, &progress, [&](int32_t record) {
    zel::RingListType rings;
    const int32_t n = tab.FindSSSR(rings);
    all.push_back({{"record", record},
                   {"name", tab.GetStrucName()},
                   {"atoms", tab.GetNAtoms()},
                   {"independent_rings", tab.RingsInMolecule()},
                   {"sssr", RingsJson(rings)}});
    text << record << ' ' << (tab.GetStrucName().empty() ? "(no name)" : tab.GetStrucName()) << ": "
         << tab.GetNAtoms() << " atoms, " << n << " rings";
    if (n > 0) text << ", sizes";
    for (int32_t k = 0; k < n; ++k) text << ' ' << rings.Rings[k].Size;
    text << '\n';
  });
  Emit(ctx, all, text.str());
}

void SearchCommand(const Context& ctx, const std::string& file, const std::string& queryFile,
                   bool bonds) {
  InputFile qin(queryFile, ".mol");
  zel::TCTab query(nullptr);
  {
    zel::TTextFile f;
    if (!f.Reset(qin.Path())) Fail(qin.Name(), "cannot open");
    if (!query.ReadFromMDLMolFile(f))
      Fail(qin.Name(), zel::StructFileStatusText(query.GetFileStatus()));
  }
  query.CalcAttributes();
  InputFile in(file, ".sdf");
  zel::TCTab tab(nullptr);
  json hits = json::array();
  int32_t searched = 0;
  std::ostringstream text;
  Progress progress(ctx, "searching");
  ForEachStructure(in, IsMolfileName(file), tab, &progress, [&](int32_t record) {
    ++searched;
    tab.CalcAttributes();
    zel::TMatchArray match{};
    if (!tab.SearchSubStruc(&query, match, bonds)) return;
    json map = json::array();
    for (int32_t s = 1; s <= query.GetNAtoms(); ++s) map.push_back(match[static_cast<size_t>(s)]);
    hits.push_back({{"record", record}, {"name", tab.GetStrucName()}, {"match", map}});
    text << record << ' ' << (tab.GetStrucName().empty() ? "(no name)" : tab.GetStrucName())
         << ": atoms";
    for (const auto& a : map) text << ' ' << a.get<int>();
    text << '\n';
  });
  text << hits.size() << " of " << searched << " structures contain the substructure\n";
  Emit(
      ctx,
      json{{"query", qin.Name()}, {"searched", searched}, {"matches", hits.size()}, {"hits", hits}},
      text.str());
}

}  // namespace

void AddChemCommands(CLI::App& app, Context& ctx) {
  {
    auto* cmd = app.add_subcommand("formula",
                                   "Molecular weights, composition and isotope masses of formulas");
    auto texts = std::make_shared<std::vector<std::string>>();
    auto strict = std::make_shared<bool>(false);
    cmd->add_option("TEXT", *texts, "Formulas, e.g. \"C6 H12 O6\", or CO2 with --strict")
        ->required();
    cmd->add_flag("--strict", *strict,
                  "Case-sensitive symbols (CO2 is carbon dioxide); default is the classic "
                  "reading, where CO2 is cobalt and symbols stand apart");
    cmd->callback([&ctx, texts, strict] { FormulaCommand(ctx, *texts, *strict); });
  }
  {
    auto* cmd = app.add_subcommand("mol2png", "Draw each structure of an SD file or Molfile");
    auto file = std::make_shared<std::string>();
    auto outdir = std::make_shared<std::string>();
    auto opt = std::make_shared<DrawOptions>();
    cmd->add_option("FILE", *file, "SD file (.sdf) or Molfile (.mol), '-' for standard input")
        ->required();
    cmd->add_option("OUTDIR", *outdir, "Folder for the pictures (created when missing)")
        ->required();
    cmd->add_option("--width", opt->width, "Picture width in pixels")
        ->capture_default_str()
        ->check(CLI::Range(50, 4000));
    cmd->add_option("--height", opt->height, "Picture height in pixels")
        ->capture_default_str()
        ->check(CLI::Range(50, 4000));
    cmd->add_option("--atoms", opt->mode, "Atom labels: hetero, all or skeleton")
        ->capture_default_str()
        ->check(CLI::IsMember({"hetero", "all", "skeleton"}));
    cmd->callback([&ctx, file, outdir, opt] { Mol2PngCommand(ctx, *file, *outdir, *opt); });
  }
  {
    auto* cmd = app.add_subcommand("rings", "Smallest set of smallest rings of each structure");
    auto file = std::make_shared<std::string>();
    cmd->add_option("FILE", *file, "SD file (.sdf) or Molfile (.mol), '-' for standard input")
        ->required();
    cmd->callback([&ctx, file] { RingsCommand(ctx, *file); });
  }
  {
    auto* cmd =
        app.add_subcommand("search", "Structures of an SD file that contain a substructure");
    auto file = std::make_shared<std::string>();
    auto query = std::make_shared<std::string>();
    auto bonds = std::make_shared<bool>(false);
    cmd->add_option("FILE", *file, "SD file (.sdf) or Molfile (.mol), '-' for standard input")
        ->required();
    cmd->add_option("--substructure", *query, "Molfile of the substructure")->required();
    cmd->add_flag("--bond-types", *bonds, "Bond types must agree too");
    cmd->callback([&ctx, file, query, bonds] { SearchCommand(ctx, *file, *query, *bonds); });
  }
}

}  // namespace zelcli
