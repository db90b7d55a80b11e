// Helpers for the tests of the matrix file forms (not installed: *_impl.hpp).
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <string>
#include <vector>

#include "core/zel_streams.hpp"
#include "num/matrix/zel_mat3d4d.hpp"

namespace zel::matfiles_test {

// A directory of its own per test, removed with everything in it.
class TempDir {
 public:
  explicit TempDir(const std::string& Tag) {
    Path = std::filesystem::temp_directory_path() /
           ("zel_matfiles_" + Tag + "_" + std::to_string(::getpid()));
    std::filesystem::create_directories(Path);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(Path, ec);
  }
  std::string File(const std::string& Name) const { return (Path / Name).string(); }
  std::filesystem::path Path;
};

inline std::vector<uint8_t> ReadBytes(const std::string& FName) {
  std::ifstream in(FName, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& FName, const std::vector<uint8_t>& Bytes) {
  std::ofstream out(FName, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
}

inline int32_t Le32(const std::vector<uint8_t>& B, size_t At) {
  return static_cast<int32_t>(uint32_t{B[At]} | uint32_t{B[At + 1]} << 8 |
                              uint32_t{B[At + 2]} << 16 | uint32_t{B[At + 3]} << 24);
}

inline void PutLe32(std::vector<uint8_t>& B, size_t At, int32_t V) {
  for (int k = 0; k < 4; ++k) B[At + k] = static_cast<uint8_t>(static_cast<uint32_t>(V) >> (8 * k));
}

// A memory stream holding Text, positioned at its start.
inline std::unique_ptr<TMemoryStream> StreamOf(std::string_view Text) {
  auto s = std::make_unique<TMemoryStream>();
  s->Write(Text.data(), static_cast<int64_t>(Text.size()));
  s->SetPosition(0);
  return s;
}

// The bytes of a memory stream as text.
inline std::string TextOf(const TMemoryStream& S) {
  return std::string(reinterpret_cast<const char*>(S.GetMemory()),
                     static_cast<size_t>(S.GetSize()));
}

// The elements of a 3-D or 4-D matrix in storage order.
inline std::vector<double> DataOf(const TMat3D4DBase& M) {
  return {M.GetData().begin(), M.GetData().end()};
}

// A deterministic generator for the fuzz tests (splitmix64).
struct Mix {
  uint64_t State;
  uint64_t Next() {
    uint64_t z = (State += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
};

}  // namespace zel::matfiles_test
