#include "gui/zel_printers.hpp"

#include <algorithm>
#include <cstdio>

namespace zel {

namespace {
int32_t MmToPixels(double Mm, int32_t Ppi) { return RoundToInt32(Mm / 25.4 * Ppi); }
}  // namespace

void TPrinter::CheckIdle() const {
  if (FPrinting) throw EPrinter("Printing in progress");
}

void TPrinter::SetResolution(int32_t Value) {
  CheckIdle();
  FResolution = std::clamp(Value, 10, 600);
}

void TPrinter::SetPaperSize(double WidthMM, double HeightMM) {
  CheckIdle();
  // NaN falls to the lower bound.
  FPaperWidth = WidthMM >= 1 ? std::min(WidthMM, 2000.0) : 1.0;
  FPaperHeight = HeightMM >= 1 ? std::min(HeightMM, 2000.0) : 1.0;
}

void TPrinter::SetOrientation(TPrinterOrientation Value) {
  CheckIdle();
  FOrientation = Value;
}

int32_t TPrinter::GetPageWidth() const {
  return MmToPixels(FOrientation == TPrinterOrientation::poPortrait ? FPaperWidth : FPaperHeight,
                    FResolution);
}

int32_t TPrinter::GetPageHeight() const {
  return MmToPixels(FOrientation == TPrinterOrientation::poPortrait ? FPaperHeight : FPaperWidth,
                    FResolution);
}

void TPrinter::SetFileNamePrefix(const std::string& Value) {
  CheckIdle();
  FPrefix = Value;
}

std::string TPrinter::PageFileName(int32_t PageNumber) const {
  char num[16];
  std::snprintf(num, sizeof num, "%03d", PageNumber);
  return FPrefix + "-" + num + ".png";
}

void TPrinter::StartPage() {
  // A fresh white page; the canvas (and its pen, brush and font) stays.
  FPage.SetSize(0, 0);
  FPage.SetSize(GetPageWidth(), GetPageHeight());
}

void TPrinter::BeginDoc() {
  CheckIdle();
  const int64_t w = GetPageWidth(), h = GetPageHeight();
  if (w * h > (int64_t{1} << 27))
    throw EPrinter("Page of " + std::to_string(w) + " x " + std::to_string(h) +
                   " pixels is too large");
  FFiles.clear();
  FAborted = false;
  FPageNumber = 1;
  StartPage();
  FPrinting = true;
}

void TPrinter::FinishPage() {
  bool write = true;
  if (OnPage) OnPage(this, FPageNumber, FPage, write);
  if (!write) return;
  const std::string name = PageFileName(FPageNumber);
  try {
    FPage.SaveToFile(name);
  } catch (...) {
    Abort();
    throw;
  }
  FFiles.push_back(name);
}

void TPrinter::NewPage() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  FinishPage();
  ++FPageNumber;
  StartPage();
}

void TPrinter::EndDoc() {
  if (!FPrinting) throw EPrinter("Printer is not currently printing");
  FinishPage();
  FPrinting = false;
  FPage.SetSize(0, 0);
}

void TPrinter::Abort() {
  if (!FPrinting) return;
  FPrinting = false;
  FAborted = true;
  FPage.SetSize(0, 0);
}

TPrinter& Printer() {
  static TPrinter printer;
  return printer;
}

}  // namespace zel
