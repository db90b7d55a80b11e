/// @file
/// Streams and text files of the host runtime, and the binary and line
/// helpers that the library's file formats are built from.
///
///   TStream          abstract byte stream: Read, Write, Seek, size, position
///   TMemoryStream    a stream in memory
///   TFileStream      a stream on a file (buffered)
///   TMixedFStream    a file stream with typed access: bytes, 32-bit integers,
///                    doubles, 80-bit extended values and lines
///   TTextFile        the runtime's classic text file: lines, words, numbers
///
/// Byte layout of every binary helper (the library's binary formats rely on
/// it): integers are little-endian two's complement, a double is the 8 bytes
/// of IEEE 754 binary64 least significant first, an extended value is the ten
/// bytes of the x87 format least significant first (ExtendedToBytes), a line
/// is its bytes followed by "\\n". Nothing depends on the host's byte order.
///
/// Errors. Constructing a file stream on a file that cannot be opened throws
/// EInOutError with the errno value as ErrorCode (TTextFile's Reset, Rewrite
/// and Append return false instead). After that, no routine here throws for
/// a short read or a failed write except ReadBuffer and WriteBuffer: the typed
/// readers and writers return false, Read and Write return the count of bytes
/// they moved. Every reader treats its input as hostile: it never reads past
/// the end, never allocates more than the bytes that remain, and reports a
/// short input as failure.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_stringl.hpp"
#include "core/zel_system.hpp"

namespace zel {

/// Longest line that ReadLnStream and TTextFile::ReadLn return by default
/// (64 MiB): a file without line breaks (or an endless device) must not grow
/// a line until memory runs out.
constexpr int64_t kMaxLineLength = int64_t{1} << 26;

/// What TMemoryStream::LoadFromFile reads at most, by default, from a file
/// whose size is not known in advance (pipe, FIFO, device, /proc file): 1 GiB.
constexpr int64_t kMaxUnsizedFileBytes = int64_t{1} << 30;

///@{
/// ErrorCode of the EInOutError that ReadBuffer and WriteBuffer throw.
constexpr int32_t kStreamReadErrorCode = 100;
constexpr int32_t kStreamWriteErrorCode = 101;
///@}

/// What the offset of TStream::Seek counts from: the start, the current position or the end.
enum class TSeekOrigin : int32_t { soBeginning = 0, soCurrent = 1, soEnd = 2 };

// ---------------------------------------------------------------------------
// TStream
// ---------------------------------------------------------------------------

/// An abstract stream of bytes with a position. The position may be set
/// beyond the end: reading there gives nothing, writing there first extends
/// the stream (with zero bytes) up to the position. Streams are neither
/// copyable nor movable.
class TStream : public TObject {
 public:
  TStream() = default;
  ~TStream() override = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  /// Copies up to Count bytes from the position into Buffer and advances the
  /// position by the count returned; 0 at the end, for Count <= 0, and when
  /// the stream cannot be read.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  /// Writes Count bytes at the position and advances it; returns the count
  /// written, which is less than Count only when writing failed.
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  ///@{
  /// Moves the position to Offset relative to Origin and returns the new
  /// position. A target below 0 leaves the position unchanged and returns -1.
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;
  virtual int64_t GetPosition() const = 0;
  virtual int64_t GetSize() const = 0;
  ///@}
  /// Makes the stream NewSize bytes long (new bytes are zero); a position
  /// beyond the new end moves to it. False when it cannot (NewSize < 0, or
  /// the file system refuses).
  virtual bool SetSize(int64_t NewSize) = 0;

  /// Sets the position.
  void SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
  /// Bytes between the position and the end (0 when the position is beyond).
  int64_t Remaining() const;

  ///@{
  /// Read or write exactly Count bytes, or throw EInOutError ("Stream read
  /// error", code kStreamReadErrorCode; "Stream write error",
  /// kStreamWriteErrorCode). A short read has still advanced the position by
  /// the bytes it got.
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  ///@}

  /// Copies Count bytes from Source's position into this stream; Count <= 0
  /// copies the whole of Source from its beginning to where reading ends (so
  /// a sequential file that has not been read yet is copied whole). Returns
  /// the bytes copied (fewer when Source ends early or writing fails).
  int64_t CopyFrom(TStream& Source, int64_t Count);
};

/// True when Count elements of BytesPerElement bytes each fit into the bytes
/// that remain between Stream's position and its end. Every reader of a
/// binary format calls this with a count it has read before it allocates or
/// loops over the elements. False for Count < 0 and BytesPerElement < 1;
/// Count = 0 always fits. Never overflows.
bool CountFitsInStream(const TStream& Stream, int64_t Count, int64_t BytesPerElement);

// ---------------------------------------------------------------------------
// TMemoryStream
// ---------------------------------------------------------------------------

/// A stream held in memory. Writing past the end grows it; memory is
/// released by Clear and the destructor.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t GetPosition() const override { return FPosition; }
  int64_t GetSize() const override { return static_cast<int64_t>(FData.size()); }
  /// False (nothing changed) when NewSize < 0 or the memory is not available.
  bool SetSize(int64_t NewSize) override;

  /// Empties the stream and sets the position to 0.
  void Clear();
  ///@{
  /// The bytes of the stream (valid until the next change of size).
  const uint8_t* GetMemory() const { return FData.data(); }
  uint8_t* GetMemory() { return FData.data(); }
  ///@}

  /// The whole content to or from a file. LoadFromFile replaces the content
  /// and sets the position to 0; both return false when the file cannot be
  /// read or written completely (LoadFromFile then leaves the stream as it
  /// was). A file whose size is not known in advance (a pipe such as
  /// /dev/stdin, a FIFO, a character device, a /proc file) is read to its
  /// end. MaxSize bounds the bytes read: a file that holds more fails the
  /// load. MaxSize < 0 (the default) means no bound for a regular file and
  /// kMaxUnsizedFileBytes for a file of unknown size, so an endless device
  /// such as /dev/zero fails instead of filling the memory.
  bool LoadFromFile(const std::string& FileName, int64_t MaxSize = -1);
  ///@{
  /// The same from Source's position to its end (Source is left there), for a
  /// stream that is already open: a sequential TFileStream is read until its
  /// end, any other stream for its Remaining() bytes. False, with this stream
  /// unchanged, when reading fails or more than MaxSize bytes are there.
  bool LoadFromStream(TStream& Source, int64_t MaxSize = -1);
  bool SaveToFile(const std::string& FileName) const;
  ///@}

 private:
  std::vector<uint8_t> FData;
  int64_t FPosition = 0;
};

// ---------------------------------------------------------------------------
// TFileStream
// ---------------------------------------------------------------------------

/// How TFileStream opens its file.
enum class TFileMode : int32_t {
  fmCreate = 0,         ///< create the file, or empty an existing one; read and write
  fmOpenRead = 1,       ///< an existing file, read only
  fmOpenWrite = 2,      ///< an existing file, write only, position 0, not emptied
  fmOpenReadWrite = 3,  ///< an existing file, read and write, not emptied
};

/// A stream on a file. The constructor opens the file in the given mode and
/// throws EInOutError('Cannot create file "\<name>": \<reason>' for fmCreate,
/// 'Cannot open file "\<name>": \<reason>' otherwise, ErrorCode = errno) when it
/// cannot; a directory cannot be opened (EISDIR).
///
/// Sequential files. A file opened with fmOpenRead that cannot be read at
/// arbitrary offsets, or whose size the system does not report (pipes,
/// FIFOs, terminals, character devices, /proc files: anything but a regular
/// file of non-zero size), is read front to back with read(2): IsSequential()
/// is true, GetSize() is 0 because the size is not known before the end, Eof()
/// turns true once a read has met the end, and Seek may move forward (the
/// bytes between are read and dropped) or back by at most the last 8 KiB
/// read; a read at any earlier position gets nothing and sets HasReadError().
/// Read(Buffer, Count) still waits for Count bytes or the end, but TTextFile
/// takes a pipe's lines as a producer writes them.
/// Readers that need the size up front check it and fail on such files (or
/// load them into a TMemoryStream first).
///
/// Reads and writes go through a 64 KiB buffer. A read that the system
/// refuses (other than at the end of the file) sets HasReadError(); Read then
/// returns the bytes it got before, never treating the error as the end.
/// Write on a file opened with fmOpenRead returns 0. A failed write is
/// reported by the Write that moves the data to the file (fewer bytes than
/// asked); since a Write may only fill the buffer, a writer calls Flush at the end and checks
/// it: Flush is false when any write since the file was opened failed. The
/// destructor writes what is left but cannot report failure.
class TFileStream : public TStream {
 public:
  /// Opens FileName in Mode; throws EInOutError when it cannot (see the class).
  TFileStream(const std::string& FileName, TFileMode Mode);
  ~TFileStream() override;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t GetPosition() const override { return FPosition; }
  int64_t GetSize() const override;
  bool SetSize(int64_t NewSize) override;

  /// Writes the buffered bytes; false when that or any earlier write failed.
  bool Flush();
  /// True once a write has failed (sticky).
  bool HasWriteError() const { return FWriteFailed; }
  /// True once a read has failed other than at the end of the file (sticky).
  bool HasReadError() const { return FReadFailed; }
  ///@{
  /// True for a file read front to back (see above).
  bool IsSequential() const { return FSequential; }
  const std::string& GetFileName() const { return FFileName; }
  ///@}

 protected:
  /// A sequential file whose end a read has met, with the position there.
  bool SequentialEndReached() const { return FSeqEnd && FPosition >= FSeqOffset; }

 private:
  bool FlushWriteBuffer();
  ///@{
  /// Count bytes at Offset, fewer only at the end; with Fill, a sequential
  /// file gives what it holds now (at least one byte before its end).
  int64_t ReadDirect(int64_t Offset, uint8_t* Buffer, int64_t Count, bool Fill = false);
  int64_t ReadSequential(int64_t Offset, uint8_t* Buffer, int64_t Count, bool Fill);
  int64_t WriteDirect(int64_t Offset, const uint8_t* Buffer, int64_t Count);
  ///@}

  std::string FFileName;
  int FFd = -1;
  int64_t FPosition = 0;
  ///@{
  /// The buffer holds either bytes read ahead from FBufStart (FDirty false) or
  /// bytes still to be written at FBufStart (FDirty true).
  std::vector<uint8_t> FBuf;
  int64_t FBufStart = 0;
  int64_t FBufLen = 0;
  bool FDirty = false;
  bool FWriteFailed = false;
  bool FReadFailed = false;
  bool FCanWrite = true;
  bool FSequential = false;
  ///@}
  ///@{
  /// Sequential files: bytes taken from the file so far, and whether its end
  /// has been met.
  int64_t FSeqOffset = 0;
  bool FSeqEnd = false;
  ///@}
};

// ---------------------------------------------------------------------------
// Binary values and lines on any stream
// ---------------------------------------------------------------------------

///@{
/// Each writer writes the value's bytes (layout at the top of this header)
/// and returns false when they could not all be written. Each reader reads
/// the value and returns true; when fewer bytes remain it consumes them,
/// sets Value to 0 and returns false.
bool WriteLongIntToStream(TStream& Stream, int32_t Value);
bool ReadLongIntFromStream(TStream& Stream, int32_t& Value);
bool WriteDoubleToStream(TStream& Stream, double Value);
bool ReadDoubleFromStream(TStream& Stream, double& Value);
bool WriteExtendedToStream(TStream& Stream, long double Value);
bool ReadExtendedFromStream(TStream& Stream, long double& Value);
///@}

/// Reads the next line: the bytes up to "\\n" or the end of the stream, the
/// "\\n" consumed but not returned, and a "\\r" directly before it (or before
/// the end) removed, so "\\n" and "\\r\\n" files read alike. A last line without
/// a line break is returned like any other. False, with Line empty, when the
/// position is at (or beyond) the end: an empty last line "\\n" gives one
/// empty line and then false. The stream is left just after the line.
///
/// A line longer than MaxLength bytes (its "\\r" not counted) is not read:
/// the result is false with Line empty, and the stream is left inside that
/// line, so a reader that meets it must give up (check with TooLong, which
/// is set to true then and to false otherwise). MaxLength < 0 means no limit;
/// readers of a stream whose size is known may pass its Remaining().
bool ReadLnStream(TStream& Stream, std::string& Line, int64_t MaxLength = kMaxLineLength,
                  bool* TooLong = nullptr);
/// Writes Line and "\\n"; false when not all was written.
bool WriteLnStream(TStream& Stream, std::string_view Line);

// ---------------------------------------------------------------------------
// TMixedFStream
// ---------------------------------------------------------------------------

/// A file stream with typed access, for the library's binary files. All
/// methods follow the helpers above (layout, false on failure, Value 0 after a
/// failed read). A record read back with the wrong type is not detected: the
/// format must be known.
class TMixedFStream : public TFileStream {
 public:
  /// Opens FileName as TFileStream does.
  TMixedFStream(const std::string& FileName, TFileMode Mode) : TFileStream(FileName, Mode) {}

  ///@{
  /// One value of the named type, written or read in the layout of the helpers above.
  bool WriteByte(uint8_t Value) { return Write(&Value, 1) == 1; }
  bool ReadByte(uint8_t& Value);
  bool WriteInteger(int32_t Value) { return WriteLongIntToStream(*this, Value); }
  bool ReadInteger(int32_t& Value) { return ReadLongIntFromStream(*this, Value); }
  bool WriteDouble(double Value) { return WriteDoubleToStream(*this, Value); }
  bool ReadDouble(double& Value) { return ReadDoubleFromStream(*this, Value); }
  bool WriteExtended(long double Value) { return WriteExtendedToStream(*this, Value); }
  bool ReadExtended(long double& Value) { return ReadExtendedFromStream(*this, Value); }
  ///@}
  ///@{
  /// A line: Text and "\\n"; read back as ReadLnStream reads.
  bool WriteLn(std::string_view Text) { return WriteLnStream(*this, Text); }
  bool ReadLn(std::string& Text) { return ReadLnStream(*this, Text); }
  ///@}
  /// Exactly Count bytes (which may include line breaks), for a text whose
  /// length was stored before it. False, with Text empty and nothing
  /// consumed, when Count < 0 or fewer bytes remain, so a damaged length
  /// cannot cause a huge allocation.
  bool ReadChars(int64_t Count, std::string& Text);
  /// True when the position is at or beyond the end of the file; for a
  /// sequential file, once a read has met its end.
  bool Eof() const;
};

// ---------------------------------------------------------------------------
// TTextFile
// ---------------------------------------------------------------------------

/// The runtime's classic text file, for the library's text formats. Opened
/// for reading (Reset), for writing (Rewrite) or for appending (Append);
/// bytes are read and written as they are (UTF-8 text stays UTF-8), lines are
/// written with "\\n" and read with "\\n" or "\\r\\n".
///
/// Reading: ReadLn reads lines as ReadLnStream does; ReadWord, ReadNumber,
/// ReadInteger and ReadQuotedName read the next item across blanks, TABs and
/// line breaks ("whitespace": the bytes 0x00-0x20). Every reader returns
/// false at the end of the file, and after a read error of the file
/// (HasReadError tells the two apart). Writing: Write and WriteLn return false when
/// the text was not written; Close returns false when any write since the
/// file was opened failed. Reading from a file open for writing, or writing to
/// one open for reading, fails the same way. The destructor closes.
class TTextFile {
 public:
  TTextFile() = default;
  ~TTextFile();
  TTextFile(const TTextFile&) = delete;
  TTextFile& operator=(const TTextFile&) = delete;

  ///@{
  /// Open; each closes a file that is open first. False when the file cannot
  /// be opened (missing for Reset, a directory, no permission). Append
  /// creates a missing file.
  bool Reset(const std::string& FileName);
  bool Rewrite(const std::string& FileName);
  bool Append(const std::string& FileName);
  ///@}
  ///@{
  /// Closes; false when writing the rest failed or any write failed before.
  /// Closing a closed file is true.
  bool Close();
  bool IsOpen() const { return FStream != nullptr; }
  const std::string& GetFileName() const { return FFileName; }
  ///@}

  /// True at the end of a file open for reading (and when none is).
  bool Eof();
  /// Skips whitespace, then as Eof.
  bool SeekEof();
  ///@{
  /// The size of the file and the count of bytes read or written so far.
  /// FileSize is 0 for a sequential file (TFileStream), whose size is not
  /// known: pipes and FIFOs are read line by line like any file, but readers
  /// that check a count against the size must not rely on it there.
  int64_t FileSize() const;
  int64_t Position() const;
  ///@}
  /// True when the file is read front to back (see TFileStream).
  bool IsSequential() const;
  /// True once reading failed other than at the end: the system refused a
  /// read, or ReadLn or ReadWord met a line or word longer than its limit. Sticky until the file
  /// is opened again.
  bool HasReadError() const;

  /// The next line (see ReadLnStream); false at the end. A line longer than
  /// MaxLength bytes (< 0: no limit) is not read: false, Line empty,
  /// HasReadError() true and the file left inside the line.
  bool ReadLn(std::string& Line, int64_t MaxLength = kMaxLineLength);
  /// Skips the rest of the current line; false at the end, and for a line
  /// longer than kMaxLineLength (as ReadLn).
  bool ReadLn();
  /// The next whitespace-delimited word; the delimiter after it is not
  /// consumed. False, with Word empty, when only whitespace remains, and when
  /// the word is longer than kMaxLineLength (HasReadError() is then true).
  bool ReadWord(std::string& Word);
  /// The next word parsed as a number by TryStrToFloat ('.' as decimal point,
  /// optional sign and exponent, "inf" and "nan" accepted, no locale; a
  /// magnitude beyond the double range reads as +-inf, one below it as +-0).
  /// When the word is not a number in full the result is false, Value is 0
  /// and the word stays consumed.
  bool ReadNumber(double& Value);
  /// The same for a decimal integer in the 32-bit range.
  bool ReadInteger(int32_t& Value);
  /// A double-quoted name as ParseQuotedName reads it: whitespace (line breaks
  /// included) is skipped, then a '"' must follow, and the name ends at the
  /// next '"' on the same line. False when the next item is not a quoted name
  /// (what was read stays consumed).
  bool ReadQuotedName(std::string& Name);

  ///@{
  /// Byte access, for readers with a grammar of their own: the next byte
  /// (0..255) or -1 at the end; PeekChar does not consume it.
  int GetChar();
  int PeekChar();
  ///@}

  ///@{
  /// Writes Text (WriteLn: and a line break, "\\n"); false when the write fails.
  bool Write(std::string_view Text);
  bool WriteLn(std::string_view Text = {});
  ///@}

 private:
  bool Open(const std::string& FileName, TFileMode Mode, bool AtEnd, bool ForReading);
  void SkipWhitespace();

  std::unique_ptr<TFileStream> FStream;
  std::string FFileName;
  bool FReading = false;
  bool FFailed = false;
  bool FLineTooLong = false;
  /// One byte of look-ahead, -2 when none is held.
  int FPeeked = -2;
};

// ---------------------------------------------------------------------------
// Tag readers
// ---------------------------------------------------------------------------

/// The most bytes one call of ReadNextTagInTextFile or ReadNextTagInStream
/// reads (16 MiB). When the next tag does not end within them -- an endless
/// pipe, or a huge file without markup -- the call stops there and reports
/// trsUnterminated, the status of a damaged file, with no tag name and no
/// attributes; the text read so far is in TextBefore.
inline constexpr int64_t kMaxTagReadBytes = int64_t{16} << 20;

///@{
/// The tag reader of core/zel_stringl.hpp (ReadNextTagInString, which
/// documents the grammar, the result and the end-of-input rules) on a text
/// file open for reading and on a stream. Both start at the current position
/// and leave the input just after the tag (or at its end), so lines and
/// tags can be read in turn. One call reads at most kMaxTagReadBytes.
int32_t ReadNextTagInTextFile(TTextFile& File, std::span<const std::string> Tags, int32_t HighestIx,
                              std::string& TextBefore, std::string& Attributes,
                              TTagReadInfo* Info = nullptr);
int32_t ReadNextTagInStream(TStream& Stream, std::span<const std::string> Tags, int32_t HighestIx,
                            std::string& TextBefore, std::string& Attributes,
                            TTagReadInfo* Info = nullptr);
///@}

}  // namespace zel
