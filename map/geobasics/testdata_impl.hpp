// Reads the reference tables of map/geobasics/testdata (written once by the
// scripts there) for the tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zel::testing {

// The numeric rows of a CSV file with a header line; an unreadable file
// fails the calling test.
inline std::vector<std::vector<double>> ReadReferenceCsv(const std::string& Name) {
  const std::string path = std::string(ZEL_TESTDATA_DIR) + "/map/geobasics/testdata/" + Name;
  std::ifstream in(path);
  std::vector<std::vector<double>> rows;
  std::string line;
  if (!in || !std::getline(in, line)) {
    ADD_FAILURE() << "cannot read " << path;
    return rows;
  }
  while (std::getline(in, line)) {
    std::vector<double> row;
    std::stringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, ',')) {
      row.push_back(std::stod(cell));
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace zel::testing
