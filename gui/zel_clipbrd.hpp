/// @file
/// The clipboard: one text and one bitmap inside the process, and a hook
/// through which a host toolkit connects it to the desktop's clipboard.
///
/// Without a host, the clipboard is a store: SetAsText and Assign put
/// content in, GetAsText and GetBitmap take it out. As on the desktop, each
/// change replaces the whole content (putting a bitmap removes the text and
/// the reverse), except between Open and Close, where several formats may be
/// put together.
///
/// With a host (SetHost), every completed change hands the full content to
/// the host's Publish handler (on Close when opened), and the reads ask the
/// host first: FetchText / FetchBitmap report what the desktop holds now
/// (true and the content, or false when the desktop has no content of that
/// kind); what they report becomes the clipboard's content of that kind. A
/// handler that is not set leaves that direction to the process store.
///
/// Threads: the clipboard may be used from any thread; the host's handlers
/// run on the calling thread, outside the clipboard's lock (they may use the
/// clipboard themselves only through its reads).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "gui/zel_graphics.hpp"

namespace zel {

/// Kinds of clipboard content.
enum class TClipboardFormat : int32_t { cfText = 0, cfBitmap = 1 };

/// The connection to a desktop clipboard.
struct TClipboardHost {
  /// The clipboard's content changed: Text is set when it holds text,
  /// Bitmap is non-null when it holds a bitmap (valid during the call only).
  std::function<void(const std::optional<std::string>& Text, const TBitmap* Bitmap)> Publish;
  /// The desktop's text, if it holds any.
  std::function<bool(std::string& Text)> FetchText;
  /// The desktop's bitmap, if it holds one.
  std::function<bool(TBitmap& Bitmap)> FetchBitmap;
};

/// The clipboard itself (see the file's description); Clipboard() returns the process's one.
class TClipboard {
 public:
  TClipboard() = default;
  TClipboard(const TClipboard&) = delete;
  TClipboard& operator=(const TClipboard&) = delete;

  /// Removes all content (published as empty).
  void Clear();

  /// Puts text on the clipboard (replacing all content unless open).
  void SetAsText(const std::string& Text);
  /// The text on the clipboard; "" when there is none.
  std::string GetAsText();

  /// Puts a copy of Bitmap on the clipboard (replacing all content unless
  /// open). An empty bitmap puts no bitmap (and, unless open, clears).
  void Assign(const TBitmap& Bitmap);
  /// Copies the clipboard's bitmap into Bitmap and returns true; false (and
  /// Bitmap unchanged) when there is none.
  bool GetBitmap(TBitmap& Bitmap);

  /// True when the clipboard holds content of that kind.
  bool HasFormat(TClipboardFormat Format);

  ///@{
  /// Between Open and Close, changes add to the content instead of replacing
  /// it, and are published once, on Close. Calls nest; only the outermost
  /// Close publishes.
  void Open();
  void Close();
  ///@}

  ///@{
  /// Connects a desktop clipboard (handlers may be empty); ClearHost
  /// disconnects it. The process content stays.
  void SetHost(const TClipboardHost& Host);
  void ClearHost();
  ///@}

 private:
  void Changed(std::unique_lock<std::mutex>& Lock);

  std::mutex FMutex;
  std::optional<std::string> FText;
  std::optional<TBitmap> FBitmap;
  int32_t FOpenCount = 0;
  bool FDirty = false;
  TClipboardHost FHost;
};

/// The process's clipboard.
TClipboard& Clipboard();

}  // namespace zel
