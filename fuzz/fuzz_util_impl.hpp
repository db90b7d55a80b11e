// Helpers shared by the fuzz targets: a scratch directory per process, files
// written from the input, and the checks that turn a broken promise of a
// reader into a crash the fuzzer (or the replay driver) reports.
#pragma once

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "core/zel_streams.hpp"

namespace zel::fuzz {

/// Aborts with Message when Ok is false: a reader broke one of its promises.
inline void Require(bool Ok, const char* Message) {
  if (Ok) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", Message);
  std::fflush(stderr);
  std::abort();
}

inline void Require(bool Ok, const std::string& Message) { Require(Ok, Message.c_str()); }

/// A directory of this process below TMPDIR (or /tmp), removed at exit.
inline const std::string& ScratchDir() {
  struct TDir {
    std::string Path;
    TDir() {
      const char* base = std::getenv("TMPDIR");
      std::string templ =
          std::string(base != nullptr && *base != 0 ? base : "/tmp") + "/zelfuzz.XXXXXX";
      std::vector<char> buf(templ.begin(), templ.end());
      buf.push_back(0);
      Require(::mkdtemp(buf.data()) != nullptr, "cannot create the scratch directory");
      Path = buf.data();
    }
    ~TDir() {
      std::error_code ec;
      std::filesystem::remove_all(Path, ec);
    }
  };
  static const TDir dir;
  return dir.Path;
}

/// The path of scratch file Name (nothing is created).
inline std::string ScratchPath(const std::string& Name) { return ScratchDir() + "/" + Name; }

/// Writes Data to the scratch file Name and returns its path.
inline std::string WriteScratch(const std::string& Name, std::span<const uint8_t> Data) {
  const std::string path = ScratchPath(Name);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Data.data()), static_cast<std::streamsize>(Data.size()));
  out.close();
  Require(static_cast<bool>(out), "cannot write a scratch file");
  return path;
}

inline std::string WriteScratch(const std::string& Name, const std::string& Text) {
  return WriteScratch(
      Name, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(Text.data()), Text.size()));
}

/// The bytes of a file ("" when it cannot be read).
inline std::string ReadWholeFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// The bytes a stream holds, from its start.
inline std::string StreamText(TStream& Stream) {
  std::string text(static_cast<size_t>(Stream.GetSize()), '\0');
  Stream.SetPosition(0);
  if (!text.empty()) Stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
  return text;
}

/// A memory stream holding Data, positioned at its start.
inline void FillStream(TMemoryStream& Stream, std::span<const uint8_t> Data) {
  Stream.Clear();
  if (!Data.empty()) Stream.WriteBuffer(Data.data(), static_cast<int64_t>(Data.size()));
  Stream.SetPosition(0);
}

/// Element-wise equality that counts two NaNs as equal and tells -0 from +0:
/// what a reader must hand back after its own writer wrote the values.
inline bool SameValue(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return a == b && std::signbit(a) == std::signbit(b);
}
inline bool SameValue(int32_t a, int32_t b) { return a == b; }

template <class T>
bool SameNested(const std::vector<T>& a, const std::vector<T>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if constexpr (std::is_arithmetic_v<T>) {
      if (!SameValue(a[i], b[i])) return false;
    } else {
      if (!SameNested(a[i], b[i])) return false;
    }
  }
  return true;
}

/// The input as text.
inline std::string AsText(const uint8_t* Data, size_t Size) {
  return std::string(reinterpret_cast<const char*>(Data), Size);
}

/// The writer's promise for a loaded object whose writer gave T1: reading T1
/// into a fresh object succeeds and writing that gives T1 again. With Settle
/// one more round is allowed first, for readers that map values on the way
/// in (an ASC reader storing NAN as 0). ReadWrite(In, Out) reads In into a
/// fresh object and writes it to Out; false when the read is rejected.
template <class ReadWrite>
void CheckFixpoint(const std::string& T1, ReadWrite RW, bool Settle, const std::string& What) {
  std::string t2;
  Require(RW(T1, t2), What + ": the reader rejects what the writer wrote");
  if (!Settle) {
    Require(t2 == T1, What + ": writing what was read back gives other text");
    return;
  }
  std::string t3;
  Require(RW(t2, t3), What + ": the reader rejects what the writer wrote");
  Require(t3 == t2, What + ": writing what was read back gives other text");
}

}  // namespace zel::fuzz
