/// @file
/// The printer: pages drawn on bitmaps and written as PNG files. A host that
/// can print for real takes each finished page through OnPage.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/zel_zelbase.hpp"
#include "gui/zel_graphics.hpp"

namespace zel {

/// Misuse of the printer: "Printing in progress" (BeginDoc or a page-setup
/// change while printing), "Printer is not currently printing" (NewPage or
/// EndDoc without BeginDoc), "Page of \<w> x \<h> pixels is too large".
class EPrinter : public EZELError {
 public:
  using EZELError::EZELError;
};

/// Page orientation: landscape exchanges the page's width and height.
enum class TPrinterOrientation : int32_t { poPortrait = 0, poLandscape = 1 };

/// A finished page: set Write to false to keep it from being written.
using TPrinterPageEvent =
    std::function<void(TObject* Sender, int32_t PageNumber, const TBitmap& Page, bool& Write)>;

/// A printer that draws pages on bitmaps and writes each finished page as a PNG file.
class TPrinter : public TObject {
 public:
  TPrinter() = default;
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // --- Page setup (changing it while printing throws EPrinter) -------------
  ///@{
  /// Pixels per inch, 10..600 (clamped); default 150.
  int32_t GetResolution() const { return FResolution; }
  void SetResolution(int32_t Value);
  ///@}
  ///@{
  /// Paper size in millimetres (portrait), each 1..2000 (clamped); default
  /// A4, 210 x 297.
  double GetPaperWidthMM() const { return FPaperWidth; }
  double GetPaperHeightMM() const { return FPaperHeight; }
  void SetPaperSize(double WidthMM, double HeightMM);
  TPrinterOrientation GetOrientation() const { return FOrientation; }
  void SetOrientation(TPrinterOrientation Value);
  ///@}
  ///@{
  /// Page size in pixels: round(millimetres / 25.4 * resolution) (halves to
  /// even), width and height exchanged in landscape. A4 at 150 ppi is
  /// 1240 x 1754.
  int32_t GetPageWidth() const;
  int32_t GetPageHeight() const;
  ///@}

  ///@{
  /// Name of the document (stored only).
  const std::string& GetTitle() const { return FTitle; }
  void SetTitle(const std::string& Value) { FTitle = Value; }
  ///@}
  ///@{
  /// Page N is written to "\<Prefix>-\<N>.png", N with at least three digits
  /// ("printout-001.png"); default prefix "printout" (the current directory).
  const std::string& GetFileNamePrefix() const { return FPrefix; }
  void SetFileNamePrefix(const std::string& Value);
  ///@}
  /// The file name of page N.
  std::string PageFileName(int32_t PageNumber) const;

  // --- Printing --------------------------------------------------------------
  /// Starts a document with page 1: a white 24-bit bitmap of the page size.
  /// Clears the list of written files and the aborted flag. Throws EPrinter
  /// when printing already, or when the page exceeds 2^27 pixels.
  void BeginDoc();
  /// Finishes the current page (OnPage, then the file) and starts the next,
  /// white. Throws EPrinter when not printing.
  void NewPage();
  /// Finishes the last page and ends the document. Throws EPrinter when not
  /// printing.
  void EndDoc();
  /// Ends the document without finishing the current page (files written
  /// before stay). Nothing when not printing.
  void Abort();
  // A page that cannot be written ends the document (as Abort) and the
  // write's exception (EInOutError) propagates.

  /// The printing.
  bool GetPrinting() const { return FPrinting; }
  /// The aborted.
  bool GetAborted() const { return FAborted; }
  /// 1-based number of the page being drawn (0 before the first document).
  int32_t GetPageNumber() const { return FPageNumber; }
  ///@{
  /// The canvas of the page being drawn (of an empty bitmap when not
  /// printing: drawing on it does nothing). Its pen, brush and font carry
  /// over from page to page.
  TCanvas& GetCanvas() { return FPage.GetCanvas(); }
  const TBitmap& GetPage() const { return FPage; }
  ///@}
  /// The files written since the last BeginDoc, in page order.
  const std::vector<std::string>& GetPageFiles() const { return FFiles; }

  /// Fired for every finished page before it is written.
  TPrinterPageEvent OnPage;

 private:
  void CheckIdle() const;
  void FinishPage();
  void StartPage();

  int32_t FResolution = 150;
  double FPaperWidth = 210;
  double FPaperHeight = 297;
  TPrinterOrientation FOrientation = TPrinterOrientation::poPortrait;
  std::string FTitle;
  std::string FPrefix = "printout";
  bool FPrinting = false;
  bool FAborted = false;
  int32_t FPageNumber = 0;
  TBitmap FPage;
  std::vector<std::string> FFiles;
};

/// The process's printer.
TPrinter& Printer();

}  // namespace zel
