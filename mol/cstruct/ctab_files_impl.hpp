// Private line and token sources shared by the structure-file readers, and
// the output sinks of the writers: one reader or writer serves std::istream,
// TStream and TTextFile alike.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

#include "mol/cstruct/zel_cstruct.hpp"

namespace zel::ctabfiles_impl {

/// A source of lines without their "\n" or "\r\n". Next gives 1 for a line,
/// 0 at the end and -1 when reading failed (Error() says why).
class LineSource {
 public:
  virtual ~LineSource() = default;
  int Next(std::string& Line) {
    if (FHeld) {
      FHeld = false;
      Line.swap(FHeldLine);
      return 1;
    }
    return Fetch(Line);
  }
  /// Hands Line back: the next call of Next returns it again.
  void Unget(std::string& Line) {
    FHeldLine.swap(Line);
    FHeld = true;
  }
  int32_t Error() const { return FError; }

 protected:
  virtual int Fetch(std::string& Line) = 0;
  int32_t FError = kSFOk;

 private:
  std::string FHeldLine;
  bool FHeld = false;
};

class IStreamSource : public LineSource {
 public:
  explicit IStreamSource(std::istream& s) : FStream(s) {}

 protected:
  int Fetch(std::string& Line) override;

 private:
  std::istream& FStream;
};

class TStreamSource : public LineSource {
 public:
  explicit TStreamSource(TStream& s) : FStream(s) {}

 protected:
  int Fetch(std::string& Line) override;

 private:
  TStream& FStream;
};

class TextFileSource : public LineSource {
 public:
  explicit TextFileSource(TTextFile& f) : FFile(f) {}

 protected:
  int Fetch(std::string& Line) override;

 private:
  TTextFile& FFile;
};

/// Where a writer's text goes; Put gives false when the output failed.
class TextSink {
 public:
  virtual ~TextSink() = default;
  virtual bool Put(std::string_view Text) = 0;
};

class OStreamSink : public TextSink {
 public:
  explicit OStreamSink(std::ostream& s) : FStream(s) {}
  bool Put(std::string_view Text) override;

 private:
  std::ostream& FStream;
};

class TStreamSink : public TextSink {
 public:
  explicit TStreamSink(TStream& s) : FStream(s) {}
  bool Put(std::string_view Text) override;

 private:
  TStream& FStream;
};

class TextFileSink : public TextSink {
 public:
  explicit TextFileSink(TTextFile& f) : FFile(f) {}
  bool Put(std::string_view Text) override;

 private:
  TTextFile& FFile;
};

/// Whole-text integer parse (optional sign); false for anything else.
bool ParseInt(std::string_view Text, int64_t& Value);
/// Whole-text number parse (FloatFromChars, optional sign).
bool ParseReal(std::string_view Text, double& Value);
/// Text with blanks, TABs and CRs removed at both ends.
std::string_view Trim(std::string_view Text);
/// Text with every control character replaced by a blank.
std::string BlankControls(std::string_view Text);

/// The shared implementations behind the public overloads; each returns a
/// kSF... status (kSFOk or a soft fault when the table was filled).
int32_t ReadMDL(TCTab& t, LineSource& src, bool WithHeader);
int32_t ReadSD(TCTab& t, LineSource& src, TPropArray& Props);
int32_t ReadClearText(TCTab& t, LineSource& src, std::string_view Keyword, bool SeekKeyword);
int32_t WriteMDL(const TCTab& t, TextSink& out, bool WithHeader, std::string_view User,
                 std::string_view ProgName, int32_t Regnum, std::string_view Comment);
int32_t WriteClearText(const TCTab& t, TextSink& out);
int32_t WriteMolConnX(const TCTab& t, int32_t Id, TextSink& out);

/// A soft fault leaves the table filled; the first one is kept.
inline bool IsSoft(int32_t Status) {
  return Status == kSFBadBond || Status == kSFBadCharge || Status == kSFBadValue;
}

}  // namespace zel::ctabfiles_impl
