#include "core/zel_streams.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include "core/zel_binary.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// TStream
// ---------------------------------------------------------------------------

int64_t TStream::Remaining() const { return std::max<int64_t>(0, GetSize() - GetPosition()); }

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count > 0 && Read(Buffer, Count) != Count)
    throw EInOutError("Stream read error", kStreamReadErrorCode);
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count > 0 && Write(Buffer, Count) != Count)
    throw EInOutError("Stream write error", kStreamWriteErrorCode);
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count <= 0) {
    // To the end as reading finds it: a pipe's size is not known before.
    Source.SetPosition(0);
    Count = std::numeric_limits<int64_t>::max();
  }
  uint8_t chunk[65536];
  int64_t copied = 0;
  while (copied < Count) {
    const int64_t want = std::min<int64_t>(Count - copied, sizeof chunk);
    const int64_t got = Source.Read(chunk, want);
    if (got <= 0) break;
    const int64_t put = Write(chunk, got);
    copied += put;
    if (put != got) break;
  }
  return copied;
}

bool CountFitsInStream(const TStream& Stream, int64_t Count, int64_t BytesPerElement) {
  if (Count < 0 || BytesPerElement < 1) return false;
  // Count * BytesPerElement <= Remaining, without forming the product.
  return Count <= Stream.Remaining() / BytesPerElement;
}

// ---------------------------------------------------------------------------
// TMemoryStream
// ---------------------------------------------------------------------------

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  const int64_t size = GetSize();
  if (Count <= 0 || FPosition >= size) return 0;
  const int64_t n = std::min(Count, size - FPosition);
  std::memcpy(Buffer, FData.data() + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (Count > std::numeric_limits<int64_t>::max() - FPosition) return 0;
  const int64_t end = FPosition + Count;
  if (end > GetSize() && !SetSize(end)) return 0;
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = 0;
  if (Origin == TSeekOrigin::soCurrent) base = FPosition;
  if (Origin == TSeekOrigin::soEnd) base = GetSize();
  if ((Offset < 0 && base + Offset < 0) ||
      (Offset > 0 && Offset > std::numeric_limits<int64_t>::max() - base))
    return -1;
  FPosition = base + Offset;
  return FPosition;
}

bool TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) return false;
  if (static_cast<uint64_t>(NewSize) > FData.max_size()) return false;
  try {
    FData.resize(static_cast<size_t>(NewSize));
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
  if (FPosition > NewSize) FPosition = NewSize;
  return true;
}

void TMemoryStream::Clear() {
  std::vector<uint8_t>().swap(FData);
  FPosition = 0;
}

bool TMemoryStream::LoadFromStream(TStream& Source, int64_t MaxSize) {
  try {
    const auto* file = dynamic_cast<const TFileStream*>(&Source);
    const bool sequential = file != nullptr && file->IsSequential();
    std::vector<uint8_t> data;
    if (!sequential) {
      const int64_t size = Source.Remaining();
      if (static_cast<uint64_t>(size) > data.max_size()) return false;
      if (MaxSize >= 0 && size > MaxSize) return false;
      data.resize(static_cast<size_t>(size));
      if (Source.Read(data.data(), size) != size) return false;
    } else {
      // The size is known only at the end: grow as the bytes arrive, and
      // read one byte beyond the bound to tell "exactly" from "more".
      const int64_t limit = MaxSize >= 0 ? MaxSize : kMaxUnsizedFileBytes;
      constexpr int64_t kStep = 65536;
      int64_t used = 0;
      for (;;) {
        // limit - used + 1 in this order: limit may be the largest int64_t.
        const int64_t want = limit - used < kStep ? limit - used + 1 : kStep;
        if (want <= 0) return false;
        data.resize(static_cast<size_t>(used + want));
        const int64_t got = Source.Read(data.data() + used, want);
        used += got;
        if (got < want) break;
      }
      if (used > limit) return false;
      data.resize(static_cast<size_t>(used));
    }
    if (file != nullptr && file->HasReadError()) return false;
    FData.swap(data);
    FPosition = 0;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

bool TMemoryStream::LoadFromFile(const std::string& FileName, int64_t MaxSize) {
  try {
    TFileStream f(FileName, TFileMode::fmOpenRead);
    return LoadFromStream(f, MaxSize);
  } catch (const EInOutError&) {
    return false;
  }
}

bool TMemoryStream::SaveToFile(const std::string& FileName) const {
  try {
    TFileStream f(FileName, TFileMode::fmCreate);
    const int64_t size = GetSize();
    if (f.Write(FData.data(), size) != size) return false;
    return f.Flush();
  } catch (const EInOutError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// TFileStream
// ---------------------------------------------------------------------------

namespace {

constexpr int64_t kFileBufferSize = 65536;
// Bytes of a sequential file kept before the position when the buffer is
// refilled, so that a reader may step back over what it has just read.
constexpr int64_t kSequentialKeep = 8192;

}  // namespace

TFileStream::TFileStream(const std::string& FileName, TFileMode Mode) : FFileName(FileName) {
  int flags = O_CLOEXEC;
  switch (Mode) {
    case TFileMode::fmCreate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case TFileMode::fmOpenRead: flags |= O_RDONLY; break;
    case TFileMode::fmOpenWrite: flags |= O_WRONLY; break;
    case TFileMode::fmOpenReadWrite: flags |= O_RDWR; break;
  }
  int err = 0;
  do {
    FFd = ::open(FileName.c_str(), flags, 0666);
  } while (FFd < 0 && errno == EINTR);
  if (FFd < 0) {
    err = errno;
  } else {
    // open() accepts a directory for reading; the runtime's file streams do not.
    struct stat st {};
    if (::fstat(FFd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(FFd);
      FFd = -1;
      err = EISDIR;
    }
  }
  if (FFd < 0) {
    const std::string verb =
        Mode == TFileMode::fmCreate ? "Cannot create file \"" : "Cannot open file \"";
    throw EInOutError(verb + FileName + "\": " + std::strerror(err), err);
  }
  FCanWrite = Mode != TFileMode::fmOpenRead;
  if (Mode == TFileMode::fmOpenRead) {
    struct stat st {};
    FSequential = ::fstat(FFd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0;
  }
  FBuf.resize(static_cast<size_t>(kFileBufferSize));
}

TFileStream::~TFileStream() {
  FlushWriteBuffer();
  if (FFd >= 0) ::close(FFd);
}

int64_t TFileStream::ReadDirect(int64_t Offset, uint8_t* Buffer, int64_t Count, bool Fill) {
  if (FSequential) return ReadSequential(Offset, Buffer, Count, Fill);
  int64_t done = 0;
  while (done < Count) {
    const ssize_t n = ::pread(FFd, Buffer + done, static_cast<size_t>(Count - done),
                              static_cast<off_t>(Offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) FReadFailed = true;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileStream::ReadSequential(int64_t Offset, uint8_t* Buffer, int64_t Count, bool Fill) {
  if (Offset < FSeqOffset) {
    FReadFailed = true;  // those bytes are gone
    return 0;
  }
  // Filling the read-ahead takes what the pipe holds now rather than waiting
  // for 64 KiB, so that a producer's lines arrive as it writes them.
  const auto take = [&](uint8_t* to, int64_t n, bool some) {
    int64_t done = 0;
    while (done < n && !FSeqEnd && !(some && done > 0)) {
      const ssize_t got = ::read(FFd, to + done, static_cast<size_t>(n - done));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) FReadFailed = true;
      if (got <= 0) {
        FSeqEnd = true;
        break;
      }
      done += got;
    }
    FSeqOffset += done;
    return done;
  };
  // A forward seek: read and drop the bytes in between.
  while (FSeqOffset < Offset && !FSeqEnd) {
    uint8_t skip[4096];
    take(skip, std::min<int64_t>(Offset - FSeqOffset, sizeof skip), false);
  }
  if (FSeqOffset < Offset) return 0;
  return take(Buffer, Count, Fill);
}

int64_t TFileStream::WriteDirect(int64_t Offset, const uint8_t* Buffer, int64_t Count) {
  int64_t done = 0;
  while (done < Count) {
    const ssize_t n = ::pwrite(FFd, Buffer + done, static_cast<size_t>(Count - done),
                               static_cast<off_t>(Offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  if (done != Count) FWriteFailed = true;
  return done;
}

bool TFileStream::FlushWriteBuffer() {
  if (!FDirty) return true;
  const bool ok = WriteDirect(FBufStart, FBuf.data(), FBufLen) == FBufLen;
  FDirty = false;
  FBufLen = 0;
  return ok;
}

bool TFileStream::Flush() { return FlushWriteBuffer() && !FWriteFailed; }

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (!FlushWriteBuffer()) return 0;
  auto* out = static_cast<uint8_t*>(Buffer);
  int64_t done = 0;
  while (done < Count) {
    if (FPosition >= FBufStart && FPosition < FBufStart + FBufLen) {
      const int64_t n = std::min(Count - done, FBufStart + FBufLen - FPosition);
      std::memcpy(out + done, FBuf.data() + (FPosition - FBufStart), static_cast<size_t>(n));
      done += n;
      FPosition += n;
      continue;
    }
    if (Count - done >= kFileBufferSize) {
      const int64_t n = ReadDirect(FPosition, out + done, Count - done);
      done += n;
      FPosition += n;
      break;
    }
    int64_t keep = 0;
    if (FSequential && FBufLen > 0 && FPosition == FBufStart + FBufLen) {
      keep = std::min(FBufLen, kSequentialKeep);
      std::memmove(FBuf.data(), FBuf.data() + (FBufLen - keep), static_cast<size_t>(keep));
    }
    FBufStart = FPosition - keep;
    FBufLen = keep + ReadDirect(FPosition, FBuf.data() + keep, kFileBufferSize - keep, true);
    if (FBufLen == keep) break;
  }
  return done;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (!FCanWrite) {
    FWriteFailed = true;
    return 0;
  }
  const auto* in = static_cast<const uint8_t*>(Buffer);
  if (!FDirty) {
    FBufLen = 0;  // drop the read-ahead: it would go stale
  } else if (FPosition != FBufStart + FBufLen || FBufLen + Count > kFileBufferSize) {
    if (!FlushWriteBuffer()) return 0;
  }
  if (Count >= kFileBufferSize) {
    const int64_t n = WriteDirect(FPosition, in, Count);
    FPosition += n;
    return n;
  }
  if (!FDirty) {
    FDirty = true;
    FBufStart = FPosition;
    FBufLen = 0;
  }
  std::memcpy(FBuf.data() + FBufLen, in, static_cast<size_t>(Count));
  FBufLen += Count;
  FPosition += Count;
  return Count;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = 0;
  if (Origin == TSeekOrigin::soCurrent) base = FPosition;
  if (Origin == TSeekOrigin::soEnd) base = GetSize();
  if ((Offset < 0 && base + Offset < 0) ||
      (Offset > 0 && Offset > std::numeric_limits<off_t>::max() - base))
    return -1;
  FPosition = base + Offset;
  return FPosition;
}

int64_t TFileStream::GetSize() const {
  if (FSequential) return 0;
  struct stat st {};
  int64_t size = ::fstat(FFd, &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
  if (FDirty) size = std::max(size, FBufStart + FBufLen);
  return size;
}

bool TFileStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) return false;
  if (!FlushWriteBuffer()) return false;
  FBufLen = 0;
  int rc = 0;
  do {
    rc = ::ftruncate(FFd, static_cast<off_t>(NewSize));
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return false;
  if (FPosition > NewSize) FPosition = NewSize;
  return true;
}

// ---------------------------------------------------------------------------
// Binary values and lines
// ---------------------------------------------------------------------------

namespace {

template <size_t N>
bool ReadBytes(TStream& Stream, uint8_t (&bytes)[N]) {
  return Stream.Read(bytes, N) == static_cast<int64_t>(N);
}

}  // namespace

bool WriteLongIntToStream(TStream& Stream, int32_t Value) {
  uint8_t b[4];
  StoreLE32(b, static_cast<uint32_t>(Value));
  return Stream.Write(b, 4) == 4;
}

bool ReadLongIntFromStream(TStream& Stream, int32_t& Value) {
  uint8_t b[4];
  if (!ReadBytes(Stream, b)) {
    Value = 0;
    return false;
  }
  Value = static_cast<int32_t>(LoadLE32(b));
  return true;
}

bool WriteDoubleToStream(TStream& Stream, double Value) {
  uint8_t b[8];
  StoreLEDouble(b, Value);
  return Stream.Write(b, 8) == 8;
}

bool ReadDoubleFromStream(TStream& Stream, double& Value) {
  uint8_t b[8];
  if (!ReadBytes(Stream, b)) {
    Value = 0;
    return false;
  }
  Value = LoadLEDouble(b);
  return true;
}

bool WriteExtendedToStream(TStream& Stream, long double Value) {
  uint8_t b[10];
  ExtendedToBytes(Value, b);
  return Stream.Write(b, 10) == 10;
}

bool ReadExtendedFromStream(TStream& Stream, long double& Value) {
  uint8_t b[10];
  if (!ReadBytes(Stream, b)) {
    Value = 0;
    return false;
  }
  Value = ExtendedFromBytes(b);
  return true;
}

bool ReadLnStream(TStream& Stream, std::string& Line, int64_t MaxLength, bool* TooLong) {
  Line.clear();
  if (TooLong != nullptr) *TooLong = false;
  // One byte more than the limit may be a "\r" that is not counted.
  const uint64_t limit =
      MaxLength < 0 ? std::numeric_limits<uint64_t>::max() : static_cast<uint64_t>(MaxLength) + 1;
  // Read in chunks and give back what follows the line, so that the stream
  // is left exactly after it without a read call per byte.
  char chunk[512];
  bool any = false;
  for (;;) {
    const int64_t got = Stream.Read(chunk, sizeof chunk);
    if (got <= 0) break;
    any = true;
    const char* nl = static_cast<const char*>(std::memchr(chunk, '\n', static_cast<size_t>(got)));
    const int64_t used = nl == nullptr ? got : nl - chunk;
    if (Line.size() + static_cast<uint64_t>(used) > limit) {
      Line.clear();
      if (TooLong != nullptr) *TooLong = true;
      return false;
    }
    Line.append(chunk, static_cast<size_t>(used));
    if (nl == nullptr) continue;
    Stream.Seek(used + 1 - got, TSeekOrigin::soCurrent);
    break;
  }
  if (!Line.empty() && Line.back() == '\r') Line.pop_back();
  if (MaxLength >= 0 && Line.size() > static_cast<uint64_t>(MaxLength)) {
    Line.clear();
    if (TooLong != nullptr) *TooLong = true;
    return false;
  }
  return any;
}

bool WriteLnStream(TStream& Stream, std::string_view Line) {
  const auto n = static_cast<int64_t>(Line.size());
  if (n > 0 && Stream.Write(Line.data(), n) != n) return false;
  return Stream.Write("\n", 1) == 1;
}

// ---------------------------------------------------------------------------
// TMixedFStream
// ---------------------------------------------------------------------------

bool TMixedFStream::Eof() const {
  if (!IsSequential()) return GetPosition() >= GetSize();
  return SequentialEndReached();
}

bool TMixedFStream::ReadByte(uint8_t& Value) {
  if (Read(&Value, 1) == 1) return true;
  Value = 0;
  return false;
}

bool TMixedFStream::ReadChars(int64_t Count, std::string& Text) {
  Text.clear();
  if (Count < 0 || !CountFitsInStream(*this, Count, 1)) return false;
  Text.resize(static_cast<size_t>(Count));
  if (Read(Text.data(), Count) != Count) {
    Text.clear();
    return false;
  }
  return true;
}

}  // namespace zel
