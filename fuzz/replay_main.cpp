// A main for the fuzz targets without libFuzzer: feeds every file of the
// corpus directories given, then simple deterministic mutations of each
// (truncations, bit flips, byte insertions) until the time budget is spent.
// Usage: replay [--seconds S] DIR_OR_FILE...
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size);
// Present when a sanitizer runtime is linked: its reports end the process
// without a signal, so the failing input is saved from its death callback.
extern "C" void __sanitizer_set_death_callback(void (*Callback)()) __attribute__((weak));

namespace {

std::vector<uint8_t> ReadBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The input being fed, kept for the abort handler.
const std::vector<uint8_t>* gCurrent = nullptr;

// Saves the input that made a check fail as replay-crash.bin in the working
// directory, so that it can be replayed and turned into a test.
extern "C" void SaveInputFile() {
  if (gCurrent != nullptr) {
    const int fd = ::open("replay-crash.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      if (!gCurrent->empty()) (void)!::write(fd, gCurrent->data(), gCurrent->size());
      ::close(fd);
      const char msg[] = "replay: the failing input is in replay-crash.bin\n";
      (void)!::write(2, msg, sizeof msg - 1);
    }
    gCurrent = nullptr;
  }
}

extern "C" void SaveCurrentInput(int sig) {
  SaveInputFile();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

void Feed(const std::vector<uint8_t>& input) {
  // A copy of exactly the input's size, so that ASan sees any read past it.
  std::vector<uint8_t> exact(input);
  gCurrent = &exact;
  LLVMFuzzerTestOneInput(exact.empty() ? nullptr : exact.data(), exact.size());
  gCurrent = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGABRT, SaveCurrentInput);
  if (__sanitizer_set_death_callback != nullptr) __sanitizer_set_death_callback(SaveInputFile);
  double seconds = 5;
  std::vector<std::filesystem::path> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (std::filesystem::is_directory(arg)) {
      for (const auto& e : std::filesystem::directory_iterator(arg))
        if (e.is_regular_file()) files.push_back(e.path());
    } else {
      files.push_back(arg);
    }
  }
  std::sort(files.begin(), files.end());
  std::vector<std::vector<uint8_t>> corpus;
  for (const auto& f : files) corpus.push_back(ReadBytes(f));
  corpus.push_back({});  // the empty input

  const auto start = std::chrono::steady_clock::now();
  long runs = 0;
  for (const auto& c : corpus) {
    Feed(c);
    ++runs;
  }
  // Round-robin over the corpus, one mutation per file per round, so that
  // every file gets its share however the budget ends.
  uint64_t state = 0x9E3779B97F4A7C15ull;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  const uint8_t inserts[] = {0x00, 0xFF, '9', '-', '<', '>', '"', '\n', ' ', '.'};
  for (long round = 0;; ++round) {
    for (const auto& c : corpus) {
      if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >
          seconds) {
        std::printf("replay: %ld inputs from %zu corpus files\n", runs, corpus.size());
        return 0;
      }
      std::vector<uint8_t> m(c);
      switch (round % 3) {
        case 0:  // truncation
          if (!m.empty()) m.resize(next() % m.size());
          break;
        case 1:  // bit flips
          for (int k = 0; k < 1 + static_cast<int>(next() % 4) && !m.empty(); ++k)
            m[next() % m.size()] ^= static_cast<uint8_t>(1u << (next() % 8));
          break;
        default:  // byte insertion
          m.insert(m.begin() + static_cast<std::ptrdiff_t>(m.empty() ? 0 : next() % (m.size() + 1)),
                   inserts[next() % sizeof(inserts)]);
          break;
      }
      Feed(m);
      ++runs;
    }
  }
}
