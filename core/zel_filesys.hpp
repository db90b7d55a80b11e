/// @file
/// File helpers: the header of the ASC text format, words of text files,
/// file-name parts and appending a line to a text file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/zel_streams.hpp"

namespace zel {

// ---------------------------------------------------------------------------
// The ASC text format
// ---------------------------------------------------------------------------

///@{
/// Result codes of ReadHeaderOfASC. They lie in -1..-4 so that they never
/// collide with the codes -5..-8 that the ASC importers of vectors and
/// matrices add for errors in the body.
constexpr int32_t kAscOk = 0;
constexpr int32_t kAscCannotRead = -1;      ///< file missing, unreadable or empty
constexpr int32_t kAscBadColumnCount = -2;  ///< second line is not a column count
constexpr int32_t kAscBadRowCount = -3;     ///< third line is not a row count, or too many rows
constexpr int32_t kAscBadFlags = -4;        ///< fourth line is not four TRUE/FALSE flags
///@}

/// A short English sentence (no final period) for a result code of
/// ReadHeaderOfASC, for an application's message to its user; "unknown ASC
/// header status" for any other value. The text is static.
const char* AscHeaderStatusText(int32_t status);

/// Longest header line that ReadHeaderOfASC reads (1 MiB); a longer one fails
/// with the code of that line, so that a file without line breaks (or an
/// endless device) is refused at once.
constexpr int64_t kMaxAscHeaderLineLength = int64_t{1} << 20;

/// The header that ReadHeaderOfASC returns.
struct TAscHeader {
  std::string Comment;         ///< the comment line
  int32_t NrOfColumns = 0;     ///< number of columns
  int32_t NrOfRows = 0;        ///< number of rows
  bool RowAttributes = false;  ///< each row starts with a numeric row attribute
  bool ColumnNames = false;    ///< a line of double-quoted column names follows the header
  bool RowNames = false;       ///< each row carries a double-quoted row name
  bool NominalVars = false;    ///< nominal variables are present
};

/// Reads the four header lines of an ASC file:
///   1. a comment line, returned as it is (without its line break);
///   2. the column count, e.g. "3\\t;nr. of columns";
///   3. the row count, e.g. "120\\t;nr. of rows";
///   4. four flags for row attributes, column names, row names and nominal
///      variables, e.g. "FALSE TRUE FALSE FALSE\\t;row attributes, ...".
/// A count line holds a decimal integer (blanks before it allowed), and a
/// flag line four words TRUE or FALSE (any case) separated by blanks or TABs
/// (a line with only three reads the fourth as FALSE);
/// after them a line may hold only blanks, TABs and a remark that begins with
/// ';'. Counts must lie in 0..2147483647. Since every cell needs at least one
/// byte, a row count that cannot fit into the bytes after the header
/// (NrOfRows * max(NrOfColumns, 1) > remaining bytes + 1) is rejected as -3,
/// so that a caller may size its storage from the header without risk. The
/// check needs the file's size: on a sequential file (a pipe or FIFO, see
/// TFileStream) it cannot be made, and a caller must then grow its storage
/// as the rows arrive instead of trusting the row count.
///
/// Each line may be at most kMaxAscHeaderLineLength bytes long; a longer one
/// counts as missing (-1 for the comment line, -2, -3 or -4 for the others).
///
/// The result is 0 on success, else the first failure: -1 the file does not
/// exist, cannot be read or has no first line; -2 the column count line is
/// missing or invalid; -3 the row count line is missing, invalid or too
/// large; -4 the flag line is missing or invalid. All outputs are set to
/// empty, 0 and false first and are filled only on success.
int32_t ReadHeaderOfASC(const std::string& FileName, std::string& Comment, int32_t& NrOfColumns,
                        int32_t& NrOfRows, bool& RowAttributes, bool& ColumnNames, bool& RowNames,
                        bool& NominalVars);
/// The same into a record.
int32_t ReadHeaderOfASC(const std::string& FileName, TAscHeader& Header);
/// The same from a stream, starting at its position (code -1 when the stream
/// holds no line there). On success the stream is left at the first line
/// after the header; after a failure its position is unspecified.
int32_t ReadHeaderOfASC(TStream& Stream, TAscHeader& Header);
/// The same from a text file open for reading, from its current position, so
/// that the body can be read from the same file (which is what a pipe needs:
/// it cannot be opened twice). On success the file is left at the first line
/// after the header.
int32_t ReadHeaderOfASC(TTextFile& File, TAscHeader& Header);

// ---------------------------------------------------------------------------
// Text files
// ---------------------------------------------------------------------------

/// The next whitespace-delimited word of a text file open for reading
/// (TTextFile::ReadWord): blanks, TABs and line breaks before it are skipped,
/// the word ends before the next one of them, which stays unread. False, with
/// Word empty, at the end of the file.
bool ReadNextWordInTextFile(TTextFile& File, std::string& Word);

/// Appends Line and "\\n" to the text file FileName, creating the file when it
/// does not exist. False when the file cannot be opened or written; the file
/// is closed again in every case.
bool AppendToTextFile(const std::string& FileName, std::string_view Line);

// ---------------------------------------------------------------------------
// File names
// ---------------------------------------------------------------------------
// Both '/' and '\' separate directories, so that names written on Windows
// (stored in calibration files, for example) are taken apart as well.

/// The file name without its directory: everything after the last separator
/// ("/maps/vienna.png" -> "vienna.png", "C:\\maps\\a.png" -> "a.png"; a name
/// ending in a separator gives "").
std::string StripPath(std::string_view FileName);

/// The file name without its extension: the last '.' of the final path
/// component and everything after it are removed, the directory is kept
/// ("/maps/vienna.v2.png" -> "/maps/vienna.v2"). A component without a dot,
/// or whose only dot is its first character (".profile"), is unchanged, and
/// a dot in a directory name never counts ("/a.b/c" stays).
std::string StripExtension(std::string_view FileName);

}  // namespace zel
