// Data tables in a minute: a few plants with a nominal column (species),
// a missing measurement, statistics that skip it, a cross-table of two
// nominal columns, a sort that keeps names and cell states in step, and
// the table saved as CSV and XML and read back.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "num/datatable/zel_datatable.hpp"

int main() {
  using namespace zel;

  auto t = std::make_unique<TDataTable>(nullptr);
  t->SetName("plants");
  t->Resize(3, 6);
  t->SetColName(1, "height");
  t->SetColName(2, "species");
  t->SetColName(3, "site");
  // Cross-tables count levels from ordinal 1 on, so the levels are placed
  // there; SetElemNominal then finds them (case ignored).
  for (int32_t c = 2; c <= 3; ++c) t->SetMScaleType(c, TMScaleType::stNominal);
  t->SetNominalID(2, 1, "oak");
  t->SetNominalID(2, 2, "ash");
  t->SetNominalID(2, 3, "beech");
  t->SetNominalID(3, 1, "north");
  t->SetNominalID(3, 2, "south");
  const double height[6] = {12.5, 8.0, 15.2, 9.1, 11.4, 13.8};
  const char* species[6] = {"oak", "ash", "oak", "beech", "ash", "oak"};
  const char* site[6] = {"north", "north", "south", "south", "north", "south"};
  for (int32_t r = 1; r <= 6; ++r) {
    t->SetRowName(r, "plant " + std::to_string(r));
    t->SetElem(1, r, height[r - 1]);
    t->SetElemNominal(2, r, species[r - 1]);
    t->SetElemNominal(3, r, site[r - 1]);
  }
  t->SetIsEmpty(1, 4, true);  // the height of plant 4 was not measured

  // Statistics use the numeric cells only: the empty cell and the nominal
  // columns are left out, and the count says how many cells were used.
  double mean = 0, var = 0, q1 = 0, q2 = 0, q3 = 0;
  const int64_t n = t->MeanVarOfNumCells(0, 0, 0, 0, mean, var);
  t->QuartilesOfNumCells(0, 0, 0, 0, q1, q2, q3);
  std::printf("height: %lld values, mean %.3f, variance %.3f, median %.2f\n",
              static_cast<long long>(n), mean, var, q2);

  // Species (across) by site (down), with the sums in the last row and
  // column.
  TInt2DArray tab;
  const int32_t res = t->CreateContingencyTable(2, 3, 0, 0, tab);
  std::printf("contingency table (%s):\n", DataTableContTabStatusText(res));
  for (size_t j = 0; j < tab.front().size(); ++j) {
    for (size_t i = 0; i < tab.size(); ++i) std::printf(" %3d", tab[i][j]);
    std::printf("\n");
  }

  // Sort the rows by height, descending, moving names with them.
  t->SortRows(1, false, 0, 0, 0, 0, true);
  for (int32_t r = 1; r <= 6; ++r)
    std::printf("%-8s %6.1f %-6s %s%s\n", t->GetRowName(r).c_str(), t->GetElem(1, r),
                t->GetElemNominal(2, r).c_str(), t->GetElemNominal(3, r).c_str(),
                t->GetIsEmpty(1, r) ? "  (height missing)" : "");

  // CSV keeps values, names, levels and empty cells; the XML form keeps
  // everything, cell states and level slots included.
  const auto dir = std::filesystem::temp_directory_path();
  const std::string csv = (dir / "plants.csv").string(), xml = (dir / "plants.xml").string();
  t->ExportAsCSV(csv, 0, TCSVDelimiters::csvComma, true, true);
  t->SaveAsXMLFile(xml, 0, "plants");
  TDataTable fromCsv(nullptr), fromXml(nullptr);
  const int32_t csvRes = fromCsv.ImportFromCSV(csv, TCSVDelimiters::csvComma, true, true);
  const bool xmlOk = fromXml.LoadFromXMLFile(xml, "plants");
  std::printf("CSV read back: %s; row 3 is %s, %s; height of %s missing: %s\n",
              DataTableCsvStatusText(csvRes), fromCsv.GetRowName(3).c_str(),
              fromCsv.GetElemNominal(2, 3).c_str(), fromCsv.GetRowName(5).c_str(),
              fromCsv.GetIsEmpty(1, 5) ? "yes" : "no");
  std::printf("XML read back: %s; %d x %d cells, level 3 of species: %s\n",
              xmlOk ? "success" : "failed", fromXml.GetNrOfColumns(), fromXml.GetNrOfRows(),
              fromXml.GetNominalID(2, 3).c_str());
  std::filesystem::remove(csv);
  std::filesystem::remove(xml);
  return 0;
}
