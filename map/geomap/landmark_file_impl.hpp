// Shared pieces of the landmark and symbol files: finding a section, the tag
// list, attribute reading and writing.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "core/zel_streams.hpp"
#include "map/geomap/zel_landmarks.hpp"

namespace zel::lmfile {

/// Tags the readers know (the list of the map files); indices below.
std::span<const std::string> Tags();
enum : int32_t { tEndGeomap = 1, tEndLandmarks = 6, tLandmark = 7, tEndSymbols = 10, tSymbol = 11 };

/// Skips lines up to one whose lower-cased text holds "<" + Element,
/// "zelcsuite" and, for a non-empty DataID, the id attribute DataID (case
/// ignored). False when no such line comes.
bool FindSection(TTextFile& F, std::string_view Element, const std::string& DataID);

/// Finds the section (FindSection) and hands the attribute text of each of
/// its Item elements to OnItem, up to the first tag of Ends. False when F is
/// not open, the section is missing or never closes, OnItem returns false,
/// or a section holds more than INT32_MAX items.
bool ReadSection(TTextFile& F, std::string_view Element, const std::string& DataID, int32_t Item,
                 std::initializer_list<int32_t> Ends,
                 const std::function<bool(std::string_view)>& OnItem);

/// Reads typed attributes of one tag; the first malformed value clears Ok.
/// Absent attributes leave the target unchanged.
class TAttrs {
 public:
  explicit TAttrs(std::string_view Attributes) : FText(Attributes) {}
  bool Ok = true;  ///< no malformed value so far
  void Real(std::string_view Name, double& v);
  void Int(std::string_view Name, int32_t& v);
  void Hex(std::string_view Name, TColor& v);
  void Bool(std::string_view Name, bool& v);
  /// Decoded text cut to MaxChars characters (< 0: no limit).
  void Text(std::string_view Name, std::string& v, int64_t MaxChars);
  void Element(std::string_view Name, TLandMarkElement& v);
  void Date(std::string_view Name, TDateTime& v);

 private:
  bool Get(std::string_view Name, std::string& raw) const;
  std::string_view FText;
};

/// ' name="value"' with the value escaped for the file (Windows-1252).
std::string AttrText(std::string_view Name, std::string_view Utf8);
/// ' name="value"' of a double in the shortest text that reads back exactly;
/// "inf", "-inf" or "nan" for a value that is not finite.
std::string AttrReal(std::string_view Name, double v);
/// ' name="value"' of an int.
std::string AttrInt(std::string_view Name, int64_t v);
/// ' name="value"' of a colour as 8 hexadecimal digits.
std::string AttrHex(std::string_view Name, TColor v);
/// ' name="TRUE"' or ' name="FALSE"'.
std::string AttrBool(std::string_view Name, bool v);
/// ' name="yyyymmddHHMMSS"' (nearest second); nothing outside years 1..9999.
std::string AttrDate(std::string_view Name, TDateTime v);

}  // namespace zel::lmfile
