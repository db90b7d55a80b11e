/// @file
/// Zel_geodb: the geographic database files. TGeoDB keeps named places,
/// polylines and binary objects (BLOBs) on disk as seven files that share
/// one base name, and holds their summary records and five sorted indexes in
/// memory.
///
/// Families, in the order of this header:
///   1. Item kinds, records and their byte layout (codecs)
///   2. TGeoDB: opening, creating and closing a database
///   3. TGeoDB: adding, replacing and deleting items, the sorted indexes
///   4. TGeoDB: reading polygons and binary objects back
///   5. TGeoDB: the add and replace families for each item kind
///   6. TGeoDB: summary and index accessors, look-ups and searches
///   7. TGeoDB: meta information, record updates and maintenance
///   8. Free helpers: records, latitude and longitude texts, the header of a
///      data file
///
/// The file set. For a database name D (any path; the extension of its last
/// component is ignored, so "x.abc" and "x" name the same database, while
/// "dir.v2/name" keeps its directory) and B = D without that extension:
///   - B.zelgdd  data file: the 260-byte header (TgdbSystemData), then the
///               data blocks of the items, appended in the order written;
///   - B.zelgds  summary file: one 120-byte TgdbData per item, record k
///               (0-based) describing entry k + 1;
///   - B.zelgi0  item-identifier index: 8-byte TIxItemIDRec sorted by ItemID;
///   - B.zelgi1 .. B.zelgi4: 8-byte TIxLLRec sorted by LatLow, LatHigh,
///               LongLow and LongHigh.
/// Every index file holds one record per summary record; `index` is the
/// 0-based position of the summary record. A polygon item's block is
/// NumPoints TSCoords (8 bytes each); a BLOB's block is a 1024-byte TMetaInfo
/// followed by Size bytes. Towns have no block (BlobOffset -1).
///
/// Conventions of the unit:
///   - Every number is little-endian (int32 two's complement, IEEE singles
///     and doubles); records are encoded field by field, padding bytes are
///     written as 0 and ignored when read.
///   - Strings are UTF-8 in the API and Windows-1252 short strings (a length
///     byte and a fixed number of bytes) on disk, converted at the file
///     boundary: characters that Windows-1252 cannot hold become '?', and
///     limits count bytes after conversion (one per character). A length
///     byte read from a file is clamped to its capacity.
///   - Entry numbers are 1-based positions in the summary file; they change
///     when an entry is deleted (the last entry takes its place). ItemId
///     values are stable and never reused.
///   - Files are untrusted: opening accepts whole records only, checks every
///     index against the summary records and rebuilds (and rewrites) an index
///     that does not match; reading checks every offset and count against the
///     size of the data file before it allocates. No file stays open between
///     calls.
///   - Errors raise EZELGeoDBError with 'Component "\<Name>": \<Operation>:
///     \<text>' (the class name when the component has no Name); input/output
///     errors of the system are wrapped in it with the system's message.
///   - Progress: OnPercentDone receives whole percentages 0..100, fired only
///     when assigned and OnPercDoneEnabled is true. A handler may read the
///     database, but calls that change it raise EZELGeoDBError while an
///     operation is running ("... not allowed during a progress event.").
///   - One object is used from one thread; files are not locked.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/zel_classes.hpp"
#include "core/zel_system.hpp"
#include "core/zel_streams.hpp"
#include "core/zel_zelbase.hpp"

namespace zel {

/// Raised by TGeoDB. Derives from EZELError, so one catch (const EZELError&)
/// catches every library error. The messages are listed with the operations.
class EZELGeoDBError : public EZELError {
 public:
  using EZELError::EZELError;
};

// ===========================================================================
// 1. Item kinds, records and their byte layout
// ===========================================================================

/// Kind of a database item, stored in one byte of the summary record.
/// Polygon kinds: gitBorder, gitCity, gitLake, gitRiver, gitRoad, gitRoute.
enum class TgdbItem : int32_t {
  gitBorder = 0,    ///< border line
  gitTown = 1,      ///< a single position, no data block
  gitCity = 2,      ///< city outline
  gitLake = 3,      ///< lake outline
  gitRiver = 4,     ///< river course
  gitRoad = 5,      ///< road
  gitRoute = 6,     ///< route
  gitBLOB = 7,      ///< binary object with meta information
  gitUndefined = 8  ///< no data block
};

/// The names of the item kinds, indexed by the ordinal of TgdbItem:
/// "Border", "Town", "City", "Lake", "River", "Road", "Route", "BLOB",
/// "Undefined".
extern const std::array<const char*, 9> GDB_ITEMNAMES;

/// The name of a raw ItemKind byte as read from a file: GDB_ITEMNAMES for
/// 0..8, "Undefined" for any larger value (files may hold any byte).
const char* GdbItemName(uint8_t ItemKind);

/// True for the kinds whose data block is a list of points (gitBorder,
/// gitCity, gitLake, gitRiver, gitRoad, gitRoute).
bool IsGdbPolygonKind(uint8_t ItemKind);

/// Names the five fields of TMetaInfo in order.
enum class TMetaItem : int32_t {
  miKwd = 0,         ///< Keywords
  miCaption = 1,     ///< Caption
  miFilePath = 2,    ///< FilePath
  miDescriptor = 3,  ///< Descriptor
  miComment = 4      ///< Comment
};

///@{
/// Record sizes on disk, in bytes.
constexpr int64_t kGdbSystemDataSize = 260;  ///< TgdbSystemData, the data file's header
constexpr int64_t kGdbDataSize = 120;        ///< TgdbData, one summary record
constexpr int64_t kGdbMetaInfoSize = 1024;   ///< TMetaInfo in front of every BLOB
constexpr int64_t kGdbIxRecSize = 8;         ///< TIxLLRec and TIxItemIDRec
constexpr int64_t kGdbPointSize = 8;         ///< TSCoords
///@}

///@{
/// Capacities of the short strings, in bytes (Windows-1252 characters).
constexpr int32_t kGdbNameCapacity = 59;          ///< TgdbName
constexpr int32_t kGdbDescriptionCapacity = 63;   ///< TgdbSystemData::Description on disk
constexpr int32_t kGdbDescriptionMaxLength = 60;  ///< what SetDescription stores at most
constexpr int32_t kGdbMetaLongCapacity = 255;     ///< Keywords, Descriptor, Comment
constexpr int32_t kGdbMetaShortCapacity = 127;    ///< Caption, FilePath
///@}

/// DBVersion of databases created by this library.
constexpr int32_t kGdbVersion = 4;

/// The largest offset plus size a data file may reach: BlobOffset and Size
/// are int32 on disk.
constexpr int64_t kGdbMaxDataFileSize = INT32_MAX;

/// The status AddData and ReplaceData return when no database is open (or
/// the call is ignored).
constexpr int32_t kGdbNotOpen = -1;

/// A short sentence (no final period) for a negative result of AddData,
/// ReplaceData and the add and replace families; "unknown geographic
/// database status" for any other value.
const char* GeoDBStatusText(int32_t Status);

/// A geographic position in degrees as stored in the files (two singles):
/// Latit at offset 0, Longit at offset 4.
struct TSCoords {
  float Latit = 0;   ///< latitude, degrees, north positive
  float Longit = 0;  ///< longitude, degrees, east positive
};

/// The points of a polygon item.
using TgdbPolygon = std::vector<TSCoords>;

/// A position with height, the unit's exported position type.
struct TPositionData {
  double Latit = 0;   ///< latitude, degrees
  double Longit = 0;  ///< longitude, degrees
  double Height = 0;  ///< height, metres
};

/// The header at offset 0 of the data file (260 bytes):
/// HighestID int32 at 0, DBVersion int32 at 4, Description short string of
/// capacity 63 at 8, Revision int32 at 72, Reserved 184 bytes at 76.
struct TgdbSystemData {
  int32_t HighestID = 0;                ///< last item identifier handed out
  int32_t DBVersion = kGdbVersion;      ///< format version
  std::string Description;              ///< free text (UTF-8), at most 60 bytes stored
  int32_t Revision = 0;                 ///< user-maintained revision number
  std::array<uint8_t, 184> Reserved{};  ///< carried unchanged
};

/// One summary record (120 bytes): ItemId int32 at 0, Name (length byte and
/// 59 bytes, blank-filled) at 4, Altitude single at 64, ClassFlag byte at 68,
/// Tag int32 at 72, BlobOffset int32 at 76, Date double at 80, StateFlag int32
/// at 88, LatLow, LatHigh, LongLow, LongHigh singles at 92, 96, 100, 104,
/// ItemKind byte at 108, NumPoints (or Size) int32 at 112, Closed byte at 116;
/// bytes 69-71, 109-111 and 117-119 are padding.
struct TgdbData {
  int32_t ItemId = 0;       ///< unique identifier, assigned from HighestID
  std::string Name;         ///< item name (UTF-8), at most 59 bytes in Windows-1252
  float Altitude = 0;       ///< altitude given by the caller
  uint8_t ClassFlag = 0;    ///< class number given by the caller
  int32_t Tag = 0;          ///< user tag
  int32_t BlobOffset = -1;  ///< offset of the data block in the data file; -1 for none
  TDateTime Date = 0;       ///< date of the item
  int32_t StateFlag = 0;    ///< user state value
  float LatLow = 0;         ///< southern bound, degrees
  float LatHigh = 0;        ///< northern bound
  float LongLow = 0;        ///< western bound
  float LongHigh = 0;       ///< eastern bound
  uint8_t ItemKind = 8;     ///< raw TgdbItem byte (values above 8 may come from a file)
  int32_t NumPoints = 0;    ///< polygon kinds: number of points; gitBLOB: Size in bytes
  bool Closed = false;      ///< polygon kinds: the line is closed (read: nonzero; written: 1)
};

/// The meta information stored in front of every BLOB (1024 bytes): five
/// short strings, Keywords (capacity 255) at 0, Caption (127) at 256,
/// FilePath (127) at 384, Descriptor (255) at 512, Comment (255) at 768.
/// Bytes beyond each length are written as 0.
struct TMetaInfo {
  std::string Keywords;    ///< keywords
  std::string Caption;     ///< caption
  std::string FilePath;    ///< file the object came from (meta information only)
  std::string Descriptor;  ///< descriptor
  std::string Comment;     ///< comment
};

/// A record of the latitude and longitude indexes (8 bytes): the key single
/// at 0, the 0-based summary position int32 at 4.
struct TIxLLRec {
  float LLValue = 0;  ///< the key, degrees
  int32_t index = 0;  ///< 0-based position of the summary record
};

/// A record of the item-identifier index (8 bytes): ItemID int32 at 0, the
/// 0-based summary position int32 at 4.
struct TIxItemIDRec {
  int32_t ItemID = 0;  ///< the key
  int32_t index = 0;   ///< 0-based position of the summary record
};

///@{
/// Record codecs. Each Encode writes exactly the record's size in bytes
/// (padding 0, names blank-filled, other short strings zero-filled, strings
/// converted to Windows-1252 and cut to their capacity in bytes). Each
/// Decode reads the record's size in bytes; length bytes are clamped to their
/// capacity, so a damaged record never reads into the next field.
void EncodeGdbSystemData(const TgdbSystemData& Rec, uint8_t* Out);
TgdbSystemData DecodeGdbSystemData(const uint8_t* In);
void EncodeGdbData(const TgdbData& Rec, uint8_t* Out);
TgdbData DecodeGdbData(const uint8_t* In);
void EncodeMetaInfo(const TMetaInfo& Rec, uint8_t* Out);
TMetaInfo DecodeMetaInfo(const uint8_t* In);
///@}

/// Text cut so that its Windows-1252 form has at most MaxBytes bytes,
/// returned as UTF-8 (characters Windows-1252 cannot hold become '?').
std::string GdbShortString(std::string_view Text, int32_t MaxBytes);

// ===========================================================================
// 2-4. TGeoDB
// ===========================================================================

/// A geographic database on disk (see the file set at the top of this
/// header). Created closed, with LazyWrite false, the header in memory
/// zeroed with DBVersion 4, and OnPercDoneEnabled true.
///
/// Life cycle: closed -> open (SetGDBName with a name) -> closed
/// (SetGDBName(""), Close() or destruction). Opening another name closes the
/// open database first (saving lazily held indexes).
class TGeoDB : public TComponent {
 public:
  /// A closed database owned by AOwner (which may be null).
  explicit TGeoDB(TComponent* AOwner);
  /// Closes the database; errors while saving lazily held indexes are
  /// swallowed here (call Close() to see them). The indexes are then rebuilt
  /// from the summary records at the next open.
  ~TGeoDB() override;

  /// "TGeoDB".
  std::string ClassName() const override { return "TGeoDB"; }

  // -------------------------------------------------------------------------
  // 2. Opening, creating and closing
  // -------------------------------------------------------------------------

  /// Opens (or creates) the database D; an empty D closes the open one.
  /// An open database is closed first. The seven files are probed first:
  /// a file that does not exist is created (an empty summary or index file,
  /// a data file holding the 260-byte header with DBVersion 4); a file that
  /// exists but cannot be opened for reading and writing (no permission, a
  /// directory of that name) raises 'SetGDBName: cannot open database.'
  /// before any file is created or changed, and the component stays closed.
  /// Then, all loaded into temporaries and committed only on success:
  ///   - the summary file: whole records only; a trailing partial record is
  ///     cut off (the file is truncated to 120 N bytes); a last record that
  ///     repeats an earlier record byte for byte (a deletion that was
  ///     interrupted) is dropped the same way, and so is the record before
  ///     it if it too repeats an earlier one, and so on, so that the next
  ///     open finds the same N;
  ///   - the data file header: read from the first 260 bytes (an empty data
  ///     file gets a fresh header; 1..259 bytes raise 'SetGDBName: damaged
  ///     data file.'); HighestID is raised to the largest ItemId present;
  ///   - each index: kept when it has exactly N records, each 0..N-1 once,
  ///     keys equal to the summary fields (bit for bit) and sorted (bounds
  ///     by LLKeyBelow, so an index with a NaN key among numbers is rebuilt);
  ///     otherwise rebuilt from the summary records by sorted insertion in
  ///     entry order and rewritten.
  /// Before all this, a compaction interrupted after its commit is finished
  /// and the leftovers of an uncommitted one removed (see
  /// GarbageCollection).
  /// I/O errors raise EZELGeoDBError 'SetGDBName: \<system message>'.
  void SetGDBName(const std::string& D);
  /// Same as SetGDBName.
  void SetDBName(const std::string& D) { SetGDBName(D); }
  /// The base name B of the open database (the summary file name without
  /// its extension); "" when closed.
  std::string GetDBName() const;
  /// True when a database is open.
  bool IsOpen() const { return !FNameGDS.empty(); }
  /// Closes the database: saves the five indexes first when LazyWrite is
  /// set, then clears LazyWrite, resets the header in memory, clears the file
  /// names and empties all arrays. The state is reset even when saving fails;
  /// the failure is then raised (with the message of SaveIndex), and the
  /// next open rebuilds the unsaved indexes. Closing a closed database does
  /// nothing (LazyWrite set before opening is kept).
  void Close();

  ///@{
  /// LazyWrite: when true the index files are not rewritten after every
  /// change; switching it from true to false saves all five at once.
  bool GetLazyWrite() const { return FLazyWrite; }
  void SetLazyWrite(bool Value);
  ///@}
  /// Rewrites index file Ix (0 item identifiers, 1 LatLow, 2 LatHigh,
  /// 3 LongLow, 4 LongHigh) from memory. Ix outside 0..4, or no open
  /// database: nothing happens. The file is replaced atomically (written to
  /// "\<name>.tmp", synced, renamed over the index), so a crash never leaves
  /// a truncated index. Errors: 'SaveIndex: \<system message>'.
  void SaveIndex(int32_t Ix);

  ///@{
  /// The header in memory. Writing Description cuts the text to 60 bytes
  /// (Windows-1252) and rewrites the header at offset 0 of the data file;
  /// writing Revision does the same with the value. Both do nothing when no
  /// database is open and raise 'SetDescription: cannot open database.' /
  /// 'SetRevision: cannot open database.' when the data file cannot be
  /// opened. GetDBVersion is read only (4 for new databases).
  std::string GetDescription() const { return FSystemData.Description; }
  void SetDescription(const std::string& Value);
  int32_t GetRevision() const { return FSystemData.Revision; }
  void SetRevision(int32_t Value);
  int32_t GetDBVersion() const { return FSystemData.DBVersion; }
  ///@}
  /// The whole header in memory (HighestID, Reserved included).
  const TgdbSystemData& GetSystemData() const { return FSystemData; }

  ///@{
  /// OnPercDoneEnabled: the progress event fires only when true (the default).
  bool GetOnPercDoneEnabled() const { return FOnPercDoneEnabled; }
  void SetOnPercDoneEnabled(bool Value) { FOnPercDoneEnabled = Value; }
  ///@}
  /// Progress of AddData, ReplaceData and the retrieval functions, in whole
  /// percent 0..100 (a size of 0 reports 100).
  TOnPercentDoneEvent OnPercentDone;

  // -------------------------------------------------------------------------
  // 3. Adding, replacing, deleting; the sorted indexes
  // -------------------------------------------------------------------------

  /// Number of entries (summary records); 0 when closed.
  int32_t GetNumEntries() const { return static_cast<int32_t>(FSumData.size()); }
  /// All summary records in entry order (entry k + 1 at position k).
  const std::vector<TgdbData>& SumData() const { return FSumData; }
  /// The item-identifier index, sorted ascending by ItemID.
  const std::vector<TIxItemIDRec>& ItemIDIndex() const { return FIx0ItemId; }
  /// Index Ix 1..4 (LatLow, LatHigh, LongLow, LongHigh), sorted ascending by
  /// LLValue; Ix outside 1..4 is clamped into it.
  const std::vector<TIxLLRec>& LLIndex(int32_t Ix) const;

  /// Appends an item and returns the new number of entries (its 1-based
  /// entry number), or kGdbNotOpen (-1) when no database is open. The worker
  /// behind the add family of the operations built on this class.
  ///
  /// Name is cut to 59 bytes (Windows-1252) and handed back cut. ItemKind
  /// decides the data block:
  ///   - gitTown, gitUndefined and values above 7: none (NumPoints 0,
  ///     BlobOffset -1); the bounds are taken as given;
  ///   - polygon kinds: Polygon's points; the bounds are recomputed from the
  ///     points (starting from 90, -90, 180, -180, which an empty polygon
  ///     keeps); a NaN coordinate makes both bounds of its axis NaN;
  ///     progress round(i 100 / n) after point i (0-based);
  ///   - gitBLOB with FromFile false: MInfo and SizeOfBLOBData bytes at
  ///     PBLOBData (SizeOfBLOBData < 0 counts as 0); progress after each
  ///     full 16384-byte block;
  ///   - gitBLOB with FromFile true: MInfo and the bytes of the file
  ///     BlobFileName (MInfo.FilePath when BlobFileName is empty: the stored
  ///     path is meta information only and may be cut); Date becomes the
  ///     file's modification time (local time) and Size its length.
  /// Order of writes: the header with HighestID + 1, the data block, the
  /// summary record at offset 120 (N), then (unless LazyWrite) the five
  /// index files; so a crash loses at most the item being added.
  /// Everything that can be checked is checked before the first write:
  /// 'AddData: cannot open database.' (data file), 'AddData: cannot open
  /// BLOB file.' (not a readable regular file, or larger than
  /// 2147483647 - 1024 bytes), 'AddData: data file would exceed 2 GiB.'
  /// (the block would end beyond offset 2147483647). Other I/O errors:
  /// 'AddData: \<system message>'. Progress: 0 % first, 100 % last.
  int32_t AddData(std::string& Name, const TgdbPolygon& Polygon, bool FromFile, TgdbItem ItemKind,
                  uint8_t ClassNumber, TDateTime Date, int32_t StateFlag, float LatLow,
                  float LatHigh, float LongLow, float LongHigh, float Altitude, int32_t UserTag,
                  const TMetaInfo& MInfo, const void* PBLOBData, int32_t SizeOfBLOBData,
                  bool ClosedLine, const std::string& BlobFileName = {});

  /// Replaces entry DBEntry (1-based) as AddData would build it, keeping its
  /// ItemId (HighestID unchanged). A new data block is appended; the old one
  /// stays unreferenced in the data file. The summary record is overwritten
  /// in place and the indexes re-sorted (saved unless LazyWrite). Returns
  /// DBEntry, or kGdbNotOpen (-1) when no database is open or DBEntry is
  /// outside 1..GetNumEntries() (the call is then ignored). Messages as
  /// AddData with the prefix 'ReplaceData:'.
  int32_t ReplaceData(int32_t DBEntry, std::string& Name, const TgdbPolygon& Polygon, bool FromFile,
                      TgdbItem ItemKind, uint8_t ClassNumber, TDateTime Date, int32_t StateFlag,
                      float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                      int32_t UserTag, const TMetaInfo& MInfo, const void* PBLOBData,
                      int32_t SizeOfBLOBData, bool ClosedLine,
                      const std::string& BlobFileName = {});

  /// Deletes entry DbEntry (1-based): the last summary record is written
  /// over it and the summary file is cut by one record; the indexes are
  /// updated (saved unless LazyWrite). The former last entry takes the
  /// number DbEntry. The data block stays in the data file. Ignored when no
  /// database is open or DbEntry is outside 1..GetNumEntries(). Errors:
  /// 'DeleteData: \<system message>'.
  void DeleteData(int32_t DbEntry);

  /// The order of the four bounds indexes: numbers ascending (-0 equal to
  /// +0), then NaN, all NaNs equal. A NaN bound (a town at NaN, a polygon
  /// with a NaN coordinate, a damaged file) thus sorts after +inf and never
  /// breaks the order of the numbers around it.
  static bool LLKeyBelow(float A, float B);

  ///@{
  /// Sorted insertion into an index whose last slot is free (the array has
  /// already been lengthened by one). Binary search over elements 0..n-2:
  /// a key below the new one moves low to mid + 1, a key above moves high to
  /// mid - 1, an equal key ends the search at mid. The position is mid, plus
  /// 1 when the key at mid is below the new key; 0 for n = 1. The tail moves
  /// up by one and Rec is written there, so a new key lands in front of the
  /// equal key the search met. Bounds keys compare by LLKeyBelow (NaN last).
  /// An empty array is left unchanged.
  static void SortIxInto(std::vector<TIxLLRec>& Ix, const TIxLLRec& Rec);
  static void SortIxItemIDInto(std::vector<TIxItemIDRec>& Ix, const TIxItemIDRec& Rec);
  ///@}

  // -------------------------------------------------------------------------
  // 4. Reading polygons and binary objects
  // -------------------------------------------------------------------------

  /// Reads the points of entry DBEntry (1-based; below 1 counts as 1) into
  /// Polygon and returns 1; returns 0 with Polygon empty when no database is
  /// open, the entry does not exist, is not a polygon kind, has no block
  /// (BlobOffset < 0), or NumPoints < 0 or the block does not lie within the
  /// data file. The block is read at once. Progress: 0 %, then round(i 100 /
  /// n) after each point i (1-based) that is a multiple of n div 100 + 1,
  /// then 100 %. I/O errors: 'RetrievePolygon: \<system message>'.
  int32_t RetrievePolygon(int32_t DBEntry, TgdbPolygon& Polygon);

  /// Writes the binary data of entry DBEntry (1-based; below 1 counts as 1)
  /// to a file and its meta information to MetaInfo; 1 on success. Returns 0
  /// (MetaInfo cleared, no file created) when no database is open, the entry
  /// does not exist or is not a gitBLOB, Size < 0, or the block does not lie
  /// within the data file. When Filepath is empty, ends with '/' or '\\', or
  /// names an existing directory, the item's Name reduced by
  /// ReduceStringToFN83CompliantChars is appended (with '/' where needed);
  /// an empty reduced name raises 'RetrieveBLOB: invalid filename.'. The
  /// target is created or overwritten. Progress: 0 %, after each 16384-byte
  /// block, 100 %. I/O errors: 'RetrieveBLOB: \<system message>'.
  int32_t RetrieveBLOB(int32_t DBEntry, const std::string& Filepath, TMetaInfo& MetaInfo);
  /// The same into SizeOfBLOBData bytes at PBLOBData; raises 'RetrieveBLOB:
  /// BLOB to be retrieved is larger than SizeOfBlobData.' when
  /// SizeOfBLOBData < Size (or PBLOBData is null and Size > 0).
  int32_t RetrieveBLOB(int32_t DBEntry, TMetaInfo& MetaInfo, void* PBLOBData,
                       int32_t SizeOfBLOBData);
  /// The same, written to BlobStream at its position.
  int32_t RetrieveBLOB(int32_t DBEntry, TMetaInfo& MetaInfo, TMemoryStream& BlobStream);

  // -------------------------------------------------------------------------
  // 5. The add and replace families
  // -------------------------------------------------------------------------
  // Each Add returns the new entry number (AddData's result), or kGdbNotOpen
  // (-1) when no database is open. Each Replace returns DBEntry, or
  // kGdbNotOpen when no database is open or DBEntry is outside
  // 1..GetNumEntries() (nothing is then changed); the entry keeps its ItemId
  // and its new data block is appended (GarbageCollection reclaims the old
  // one). Name is taken by value semantics: the stored name is cut to 59
  // bytes (Windows-1252), the caller's string is left alone. Errors,
  // progress and the order of writes are those of AddData and ReplaceData
  // (messages with their prefixes 'AddData:' and 'ReplaceData:').

  ///@{
  /// A border (gitBorder) or city outline (gitCity) with the points of
  /// Polygon. The bounds LatLow..LongHigh are recomputed from the points
  /// (see AddData); the given ones are ignored. ClosedLine is stored as
  /// Closed.
  int32_t AddBorder(const std::string& Name, const TgdbPolygon& Polygon, bool ClosedLine,
                    TDateTime Date, int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                    float LongHigh, float Altitude, uint8_t ClassNumber, int32_t UserTag);
  int32_t AddCity(const std::string& Name, const TgdbPolygon& Polygon, bool ClosedLine,
                  TDateTime Date, int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                  float LongHigh, float Altitude, uint8_t ClassNumber, int32_t UserTag);
  ///@}
  ///@{
  /// A lake, river, road or route (gitLake .. gitRoute) with the points of
  /// Polygon; Closed is false and the bounds are recomputed from the points.
  int32_t AddLake(const std::string& Name, const TgdbPolygon& Polygon, TDateTime Date,
                  int32_t StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                  float Altitude, uint8_t ClassNumber, int32_t UserTag);
  int32_t AddRiver(const std::string& Name, const TgdbPolygon& Polygon, TDateTime Date,
                   int32_t StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                   float Altitude, uint8_t ClassNumber, int32_t UserTag);
  int32_t AddRoad(const std::string& Name, const TgdbPolygon& Polygon, TDateTime Date,
                  int32_t StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                  float Altitude, uint8_t ClassNumber, int32_t UserTag);
  int32_t AddRoute(const std::string& Name, const TgdbPolygon& Polygon, TDateTime Date,
                   int32_t StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                   float Altitude, uint8_t ClassNumber, int32_t UserTag);
  ///@}
  /// A town (gitTown): all four bounds from Location (LatLow = LatHigh =
  /// Latit, LongLow = LongHigh = Longit), no data block (BlobOffset -1,
  /// NumPoints 0).
  int32_t AddTown(const std::string& Name, TDateTime Date, int32_t StateFlag,
                  const TSCoords& Location, float Altitude, uint8_t ClassNumber, int32_t UserTag);
  /// A BLOB (gitBLOB) holding MInfo and the SizeOfBLOBData bytes at
  /// PBLOBData (SizeOfBLOBData < 0 counts as 0; a null PBLOBData with a
  /// positive size raises 'AddData: no BLOB data given.'). The bounds are
  /// stored as given.
  int32_t AddBLOB(const std::string& Name, TDateTime Date, int32_t StateFlag, float LatLow,
                  float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                  int32_t UserTag, const TMetaInfo& MInfo, const void* PBLOBData,
                  int32_t SizeOfBLOBData);
  /// The same with the whole content of Data (its position is ignored and
  /// left unchanged). A stream larger than 2147483647 - 1024 bytes raises
  /// 'AddBLOB: data file would exceed 2 GiB.' ('ReplaceBLOB: ...') before anything is written.
  int32_t AddBLOB(const std::string& Name, TDateTime Date, int32_t StateFlag, float LatLow,
                  float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                  int32_t UserTag, const TMetaInfo& MInfo, const TMemoryStream& Data);
  /// A BLOB holding the bytes of the file FileName: the stored meta
  /// information is MInfo with FilePath = FileName (cut to 127 bytes), the
  /// item name is StripPath(FileName), Date becomes the file's modification
  /// time and Size its length (see AddData; 'AddData: cannot open BLOB
  /// file.' when it cannot be read).
  int32_t AddBLOB(const std::string& FileName, TDateTime Date, int32_t StateFlag, float LatLow,
                  float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                  int32_t UserTag, const TMetaInfo& MInfo);
  /// As the form before, but the item name is StripPath(FNameInDB).
  int32_t AddBLOB(const std::string& FileName, const std::string& FNameInDB, TDateTime Date,
                  int32_t StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                  float Altitude, uint8_t ClassNumber, int32_t UserTag, const TMetaInfo& MInfo);
  /// As the form before, but the stored FilePath is OrgFilePath (cut to 127
  /// bytes) instead of FileName. It is written with the item in the same
  /// step, so no second write can fail or be interrupted after the item is
  /// in; when no database is open nothing is written and -1 is returned.
  int32_t AddBLOB(const std::string& FileName, const std::string& FNameInDB,
                  const std::string& OrgFilePath, TDateTime Date, int32_t StateFlag, float LatLow,
                  float LatHigh, float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                  int32_t UserTag, const TMetaInfo& MInfo);

  ///@{
  /// Replaces entry DBEntry as the matching Add would build it.
  int32_t ReplaceBorder(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                        bool ClosedLine, TDateTime Date, int32_t StateFlag, float LatLow,
                        float LatHigh, float LongLow, float LongHigh, float Altitude,
                        uint8_t ClassNumber, int32_t UserTag);
  int32_t ReplaceCity(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                      bool ClosedLine, TDateTime Date, int32_t StateFlag, float LatLow,
                      float LatHigh, float LongLow, float LongHigh, float Altitude,
                      uint8_t ClassNumber, int32_t UserTag);
  int32_t ReplaceLake(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                      TDateTime Date, int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                      float LongHigh, float Altitude, uint8_t ClassNumber, int32_t UserTag);
  int32_t ReplaceRiver(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                       TDateTime Date, int32_t StateFlag, float LatLow, float LatHigh,
                       float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                       int32_t UserTag);
  int32_t ReplaceRoad(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                      TDateTime Date, int32_t StateFlag, float LatLow, float LatHigh, float LongLow,
                      float LongHigh, float Altitude, uint8_t ClassNumber, int32_t UserTag);
  int32_t ReplaceRoute(int32_t DBEntry, const std::string& Name, const TgdbPolygon& Polygon,
                       TDateTime Date, int32_t StateFlag, float LatLow, float LatHigh,
                       float LongLow, float LongHigh, float Altitude, uint8_t ClassNumber,
                       int32_t UserTag);
  int32_t ReplaceTown(int32_t DBEntry, const std::string& Name, TDateTime Date, int32_t StateFlag,
                      const TSCoords& Location, float Altitude, uint8_t ClassNumber,
                      int32_t UserTag);
  int32_t ReplaceBLOB(int32_t DBEntry, const std::string& Name, TDateTime Date, int32_t StateFlag,
                      float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                      uint8_t ClassNumber, int32_t UserTag, const TMetaInfo& MInfo,
                      const void* PBLOBData, int32_t SizeOfBLOBData);
  int32_t ReplaceBLOB(int32_t DBEntry, const std::string& Name, TDateTime Date, int32_t StateFlag,
                      float LatLow, float LatHigh, float LongLow, float LongHigh, float Altitude,
                      uint8_t ClassNumber, int32_t UserTag, const TMetaInfo& MInfo,
                      const TMemoryStream& Data);
  int32_t ReplaceBLOB(int32_t DBEntry, const std::string& FileName, TDateTime Date,
                      int32_t StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                      float Altitude, uint8_t ClassNumber, int32_t UserTag, const TMetaInfo& MInfo);
  ///@}

  // -------------------------------------------------------------------------
  // 6. Accessors, look-ups and searches (memory only, never the disk)
  // -------------------------------------------------------------------------

  ///@{
  /// The summary record of entry ix (property Data[ix]): ix below 1 is taken
  /// as 1, above the count as the count. With no entries (an empty or closed
  /// database) the result is a cleared record (ClearGdbData: ItemId 0,
  /// BlobOffset -1, ItemKind gitUndefined, Date the current time).
  TgdbData GetSumdata(int32_t ix) const;
  TgdbData GetData(int32_t ix) const { return GetSumdata(ix); }
  ///@}
  ///@{
  /// The ix-th record (1-based, clamped like GetSumdata) of the item
  /// identifier index and of the LatLow, LatHigh, LongLow and LongHigh
  /// indexes, with `index` converted to the 1-based entry number. With no
  /// entries the result is a zero record (key 0, index 0).
  TIxItemIDRec GetIxItemID(int32_t ix) const;
  TIxLLRec GetIxLatLow(int32_t ix) const;
  TIxLLRec GetIxLatHigh(int32_t ix) const;
  TIxLLRec GetIxLongLow(int32_t ix) const;
  TIxLLRec GetIxLongHigh(int32_t ix) const;
  ///@}

  ///@{
  /// The 1-based position in the index at which the value would be
  /// inserted, or of an equal key the search met. Binary search over the
  /// whole index (low 0, high count - 1, mid = (low + high) div 2; a key
  /// below the value moves low up, a key above moves high down, an equal key
  /// stops): mid + 2 when the key at mid is below the value, else mid + 1;
  /// 1 for an empty index. Keys 1, 3, 5: value 4 gives 3, 0 gives 1, 6
  /// gives 4, 3 gives 2. O(log n).
  ///
  /// The latitude and longitude keys are singles: the value is converted to
  /// float (round to nearest) before the search, so 47.1 finds a stored
  /// 47.1f as equal; values beyond the float range become +-inf. Keys and
  /// value compare by LLKeyBelow (NaN after every number), so a NaN value
  /// gives count + 1, or the position of a NaN key the search met.
  int32_t GetClosestItemIDIx(int32_t ItemID) const;
  int32_t GetClosestLatLowIx(double Latit) const;
  int32_t GetClosestLatHighIx(double Latit) const;
  int32_t GetClosestLongLowIx(double Longit) const;
  int32_t GetClosestLongHighIx(double Longit) const;
  ///@}
  /// The entry number (1-based) of the item with identifier ItemID, found
  /// by the search of GetClosestItemIDIx; 0 when no item has it (deleted,
  /// never handed out) or the database is empty or closed.
  int32_t SearchForItemID(int32_t ItemID) const;

  /// The first entry from StartSearchAt on (below 1 counts as 1) whose name
  /// equals Name without regard to case (ASCII and the Windows-1252
  /// letters), whose kind is ItemType (gitUndefined matches every kind) and
  /// whose ClassFlag is ClassNumber; 0 when none does, the database is
  /// closed or StartSearchAt is beyond the count. Name is compared as it
  /// would be stored (cut to 59 bytes). Linear in the entries.
  int32_t SearchData(const std::string& Name, TgdbItem ItemType, int32_t StartSearchAt,
                     uint8_t ClassNumber) const;
  /// The first entry whose name equals Name without regard to case, of any
  /// kind and class; 0 when none does.
  int32_t SearchData(const std::string& Name) const;

  // -------------------------------------------------------------------------
  // 7. Meta information, record updates and maintenance
  // -------------------------------------------------------------------------

  /// The meta information stored in front of the data of BLOB entry DBEntry
  /// (below 1 counts as 1). MetaInfo is cleared when no database is open,
  /// the entry does not exist or is not a gitBLOB, or its block does not lie
  /// within the data file. I/O errors: 'GetMetaInfo: \<system message>'.
  void GetMetaInfo(int32_t DBEntry, TMetaInfo& MetaInfo);
  /// Overwrites, in place, the meta information of BLOB entry DBEntry (a
  /// 1024-byte write at its BlobOffset); the data after it is not touched.
  /// Ignored under the conditions that clear the result of GetMetaInfo
  /// (DBEntry must lie in 1..count). Strings are cut to their capacities.
  /// Errors: 'UpdateMetaInfo: \<system message>'.
  void UpdateMetaInfo(int32_t DBEntry, const TMetaInfo& MetaInfo);
  /// Overwrites the summary record of entry DbEntry (1..count, else
  /// ignored) with GdbData, keeping the entry's ItemId, BlobOffset,
  /// NumPoints (Size) and ItemKind, so the record still describes its data
  /// block; the name is cut to 59 bytes. The record is written in place and
  /// the indexes re-sorted (saved unless LazyWrite). Errors:
  /// 'UpdateBasicData: \<system message>'.
  void UpdateBasicData(int32_t DbEntry, const TgdbData& GdbData);
  /// Rebuilds the five indexes from the summary records by sorted insertion
  /// in entry order (the order opening a database with damaged indexes
  /// gives) and saves them unless LazyWrite. No effect when closed.
  void RecalcIndexes();
  /// Compacts the data file: the blocks of all entries are copied, in entry
  /// order, behind a copy of the header into "B.zelgdd.tmp" and their
  /// offsets rewritten into "B.zelgds.tmp"; both are synced, then committed
  /// by renaming the summary to "B.zelgds.gc", the data file into place and
  /// "B.zelgds.gc" to the summary file. Opening a database finishes a
  /// committed compaction that was interrupted (a ".gc" file exists) and
  /// removes the leftovers of an uncommitted one, so a crash at any point
  /// leaves the database as it was before or after, never a mixture.
  /// Entry numbers, ItemIds and indexes stay; every block stays byte-equal.
  /// An entry whose block does not lie within the data file (or a town,
  /// gitUndefined or unknown kind with an offset) gets BlobOffset -1. No
  /// effect when closed. Progress: 0 %, up to 90 % while copying, 92 %
  /// after the temporary files are synced, 94 % after the commit, 97 %
  /// after the data file is in place, 100 % at the end. Errors:
  /// 'GarbageCollection: data file would exceed 2 GiB.', 'GarbageCollection:
  /// damaged data file.' (shorter than its header, or it shrank while being
  /// copied), 'GarbageCollection: \<system message>'. An error before the
  /// data file is in place leaves the database as it was; one after it
  /// (only a failing rename) closes the component, and the next open
  /// finishes the compaction.
  void GarbageCollection();
  /// Writes a text dump of the open database to FName (created or
  /// overwritten): the file names, the header, every summary record (one
  /// line each, numbers locale-free and round-trip exact) and the five
  /// indexes. Nothing is written when no database is open. Errors:
  /// 'ExportDataDebug: \<system message>'.
  void ExportDataDebug(const std::string& FName) const;

 protected:
  /// Inserts (Data.ItemId, Entry - 1) into index 0 and the four bounds with
  /// Entry - 1 into indexes 1..4, each array having its free last slot.
  void InsertIntoIndex(int32_t Entry, const TgdbData& Data);
  /// In each index, removes the first record whose index is Entry - 1 (the
  /// following records move down); the arrays keep their length.
  void RemoveIndexEntries(int32_t Entry);

 private:
  class TBusy;
  struct TBlockSource;
  struct TItemArgs;
  int32_t StoreArgs(bool Replace, int32_t DBEntry, TItemArgs& A);
  int32_t StorePolygon(bool Replace, int32_t DBEntry, TgdbItem Kind, const std::string& Name,
                       const TgdbPolygon& Polygon, bool ClosedLine, TDateTime Date,
                       int32_t StateFlag, float Altitude, uint8_t ClassNumber, int32_t UserTag);
  int32_t StoreTown(bool Replace, int32_t DBEntry, const std::string& Name, TDateTime Date,
                    int32_t StateFlag, const TSCoords& Location, float Altitude,
                    uint8_t ClassNumber, int32_t UserTag);
  static TItemArgs BlobArgs(const std::string& Name, TDateTime Date, int32_t StateFlag,
                            float LatLow, float LatHigh, float LongLow, float LongHigh,
                            float Altitude, uint8_t ClassNumber, int32_t UserTag,
                            const TMetaInfo& MInfo);
  TItemArgs StreamArgs(const char* Op, TItemArgs A, const TMemoryStream& Data) const;
  static TItemArgs FileArgs(TItemArgs A, const std::string& FileName, const std::string& FNameInDB,
                            const std::string& StoredPath);
  [[noreturn]] void Fail(const char* Op, const std::string& Text) const;
  void CheckNotBusy(const char* Op) const;
  void ReportPercent(int64_t Percent);
  void ResetState();
  void WriteHeader(const char* Op);
  void SaveAllIndexes();
  void WriteIndexFile(int32_t Ix);
  int32_t StoreItem(const char* Op, int32_t DBEntry, std::string& Name, const TgdbPolygon& Polygon,
                    bool FromFile, TgdbItem ItemKind, uint8_t ClassNumber, TDateTime Date,
                    int32_t StateFlag, float LatLow, float LatHigh, float LongLow, float LongHigh,
                    float Altitude, int32_t UserTag, const TMetaInfo& MInfo, const void* PBLOBData,
                    int32_t SizeOfBLOBData, bool ClosedLine, const std::string& BlobFileName);
  bool LocateBlob(const char* Op, int32_t DBEntry, TgdbData& Rec, TMetaInfo& MetaInfo);
  int32_t ClosestLLIx(int32_t Ix, double Value) const;
  void WriteSummaryRecord(const char* Op, size_t Pos, const TgdbData& Rec);
  void CopyBlobOut(const TgdbData& Rec, const std::function<void(const uint8_t*, int64_t)>& Sink);
  int32_t RetrieveBlobWith(int32_t DBEntry, TMetaInfo& MetaInfo,
                           const std::function<void(const TgdbData&)>& Copy);

  std::string FNameGDS;
  std::string FNameGDD;
  std::array<std::string, 5> FNameIX;
  std::vector<TgdbData> FSumData;
  bool FLazyWrite = false;
  std::vector<TIxItemIDRec> FIx0ItemId;
  std::array<std::vector<TIxLLRec>, 4> FIxLL;  // LatLo, LatHi, LongLo, LongHi
  bool FOnPercDoneEnabled = true;
  TgdbSystemData FSystemData;
  int32_t FBusyDepth = 0;
};

// ===========================================================================
// 8. Free helpers
// ===========================================================================

/// Empties the five strings of MetaInfo.
void ClearMetaInfo(TMetaInfo& MetaInfo);
/// A cleared summary record: empty Name (stored as 59 blanks), BlobOffset
/// -1, ItemId, ClassFlag, Tag, StateFlag, the four bounds, NumPoints and
/// Altitude 0, ItemKind gitUndefined, Closed false, and Date the current
/// local date and time (days since 1899-12-30).
void ClearGdbData(TgdbData& GdbData);
/// The position of a record: (LatLow, LongLow).
TSCoords ExtractLocation(const TgdbData& GdbData);

///@{
/// Latitude (longitude) text: the value clamped to -90..90 (-180..180), its
/// absolute value written by DegreeToStr with Format and NDecP, then " S"
/// (" W") when the value is negative and " N" (" E") otherwise (-0 counts
/// as not negative). GeoLatitude(-100, dfDeg, 1) is "90.0\\u00B0 S";
/// GeoLatitude(47.5, dfDegMinSec, 0) is "47\\u00B0 30'   0\\" N". The
/// degree, minute and second split agrees with GeographicLib's DMS::Encode
/// (checked at 0..4 decimals). Infinities clamp to the limits. NaN gives
/// DegreeToStr's text for NaN followed by " N" ("NAN\\u00B0 N"), so a bad
/// value stays visible instead of vanishing.
std::string GeoLatitude(double Lat, TDegreeFormat Format, int32_t NDecP);
std::string GeoLongitude(double Long, TDegreeFormat Format, int32_t NDecP);
///@}

/// The header of the data file of database FName (named as for
/// TGeoDB::SetGDBName: its extension is replaced by ".zelgdd"), decoded
/// without opening the database; only the first 260 bytes are read and the
/// file is never written. The file must be a regular file (a directory,
/// FIFO or device is refused without being read). Raises EZELGeoDBError
/// 'ReadSystemInformation: cannot open database.' when the file is missing
/// or not a readable regular file, and 'ReadSystemInformation: damaged data
/// file.' when it holds fewer than 260 bytes. The values are not checked
/// (length bytes are clamped by the decoder).
TgdbSystemData ReadSystemInformation(const std::string& FName);

}  // namespace zel
