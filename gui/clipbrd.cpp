#include "gui/zel_clipbrd.hpp"

#include <utility>

namespace zel {

void TClipboard::Changed(std::unique_lock<std::mutex>& Lock) {
  if (FOpenCount > 0) {
    FDirty = true;
    return;
  }
  auto publish = FHost.Publish;
  if (!publish) return;
  // The handler runs outside the lock (it may read the clipboard), on a
  // copy of the content.
  const std::optional<std::string> text = FText;
  const std::optional<TBitmap> bitmap = FBitmap;
  Lock.unlock();
  publish(text, bitmap ? &*bitmap : nullptr);
}

void TClipboard::Clear() {
  std::unique_lock<std::mutex> lock(FMutex);
  FText.reset();
  FBitmap.reset();
  Changed(lock);
}

void TClipboard::SetAsText(const std::string& Text) {
  std::unique_lock<std::mutex> lock(FMutex);
  if (FOpenCount == 0) FBitmap.reset();
  FText = Text;
  Changed(lock);
}

std::string TClipboard::GetAsText() {
  std::unique_lock<std::mutex> lock(FMutex);
  auto fetch = FHost.FetchText;
  if (!fetch) return FText.value_or(std::string());
  lock.unlock();
  std::string text;
  const bool ok = fetch(text);
  lock.lock();
  if (ok)
    FText = text;
  else
    FText.reset();
  return ok ? text : std::string();
}

void TClipboard::Assign(const TBitmap& Bitmap) {
  std::unique_lock<std::mutex> lock(FMutex);
  if (FOpenCount == 0) FText.reset();
  if (Bitmap.GetEmpty())
    FBitmap.reset();
  else
    FBitmap = Bitmap;
  Changed(lock);
}

bool TClipboard::GetBitmap(TBitmap& Bitmap) {
  std::unique_lock<std::mutex> lock(FMutex);
  auto fetch = FHost.FetchBitmap;
  if (!fetch) {
    if (!FBitmap) return false;
    Bitmap.Assign(*FBitmap);
    return true;
  }
  lock.unlock();
  TBitmap got;
  const bool ok = fetch(got) && !got.GetEmpty();
  lock.lock();
  if (!ok) {
    FBitmap.reset();
    return false;
  }
  FBitmap = got;
  lock.unlock();
  Bitmap.Assign(got);
  return true;
}

bool TClipboard::HasFormat(TClipboardFormat Format) {
  if (Format == TClipboardFormat::cfText) {
    std::unique_lock<std::mutex> lock(FMutex);
    if (!FHost.FetchText) return FText.has_value();
    auto fetch = FHost.FetchText;
    lock.unlock();
    std::string t;
    return fetch(t);
  }
  if (Format == TClipboardFormat::cfBitmap) {
    std::unique_lock<std::mutex> lock(FMutex);
    if (!FHost.FetchBitmap) return FBitmap.has_value();
    auto fetch = FHost.FetchBitmap;
    lock.unlock();
    TBitmap b;
    return fetch(b) && !b.GetEmpty();
  }
  return false;
}

void TClipboard::Open() {
  std::lock_guard<std::mutex> lock(FMutex);
  ++FOpenCount;
}

void TClipboard::Close() {
  std::unique_lock<std::mutex> lock(FMutex);
  if (FOpenCount == 0) return;
  if (--FOpenCount == 0 && FDirty) {
    FDirty = false;
    Changed(lock);
  }
}

void TClipboard::SetHost(const TClipboardHost& Host) {
  std::lock_guard<std::mutex> lock(FMutex);
  FHost = Host;
}

void TClipboard::ClearHost() {
  std::lock_guard<std::mutex> lock(FMutex);
  FHost = {};
}

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}

}  // namespace zel
