// The zelview main window: structure files (one record at a time), calibrated
// maps and formulas, each shown by its component in a TQtControlWidget.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "map/geomap/zel_geomap.hpp"
#include "mol/cdata/zel_cform.hpp"
#include "mol/cstruct/zel_chemgrph.hpp"
#include "mol/cstruct/zel_cstruct.hpp"
#include "qt/zel_qthost.hpp"

class QAction;
class QLabel;
class QLineEdit;
class QStackedWidget;

namespace zelview {

// The page shown in the window.
enum class TPage { Structure = 0, Map = 1, Formula = 2 };

// Largest structure file the viewer reads into memory (64 MiB).
constexpr qint64 kMaxStructureFileBytes = qint64{64} << 20;

class TViewerWindow : public QMainWindow {
 public:
  TViewerWindow();
  ~TViewerWindow() override;

  // Each returns false and sets Error to a sentence for the user when the
  // file cannot be shown; what was shown before stays.
  bool OpenStructureFile(const QString& Path, QString& Error);
  bool OpenMapFile(const QString& Path, QString& Error);
  // Shows the formula; false (the text still shown) when it does not read
  // completely, with the reason in Error.
  bool ShowFormula(const QString& Text, QString& Error);
  // By the file's kind: ".xml" a map calibration, anything else a structure.
  bool OpenFile(const QString& Path, QString& Error);

  // Record navigation of the loaded structure file (0-based); false when
  // Index lies outside.
  bool ShowRecord(int Index);
  int GetRecordCount() const { return static_cast<int>(FRecords.size()); }
  int GetRecordIndex() const { return FRecord; }

  TPage GetPage() const;
  QString GetStatusText() const;

  zel::TChemGraph& GetChemGraph() { return *FChem; }
  zel::TGeoMap& GetMap() { return *FMap; }
  zel::TMolForm& GetMolForm() { return *FForm; }
  zel::TQtControlWidget& GetChemWidget() { return *FChemWidget; }
  zel::TQtControlWidget& GetMapWidget() { return *FMapWidget; }
  zel::TQtControlWidget& GetFormWidget() { return *FFormWidget; }
  QLineEdit& GetFormulaEdit() { return *FFormulaEdit; }

  // How a failure is reported to the user; a message box by default.
  std::function<void(const QString& Title, const QString& Text)> OnError;

 private:
  void BuildMenus();
  void ShowPage(TPage Page);
  void SetStatus(const QString& Text);
  void UpdateRecordActions();
  void MapMouseMoved(int32_t X, int32_t Y);
  void MapWheel(int32_t X, int32_t Y, double Factor);
  void SetMapMode(zel::TMouseActMode Mode);
  void OpenDialog();
  void Report(const QString& Title, bool Ok, const QString& Error);

  std::unique_ptr<zel::TChemGraph> FChem;
  std::unique_ptr<zel::TGeoMap> FMap;
  std::unique_ptr<zel::TMolForm> FForm;
  std::vector<std::unique_ptr<zel::TCTab>> FRecords;
  int FRecord = -1;
  QString FStructurePath;

  QStackedWidget* FStack = nullptr;
  zel::TQtControlWidget* FChemWidget = nullptr;
  zel::TQtControlWidget* FMapWidget = nullptr;
  zel::TQtControlWidget* FFormWidget = nullptr;
  QLineEdit* FFormulaEdit = nullptr;
  QLabel* FStatus = nullptr;
  QAction* FPrev = nullptr;
  QAction* FNext = nullptr;
  QAction* FPan = nullptr;
  QAction* FZoomBox = nullptr;
};

}  // namespace zelview
