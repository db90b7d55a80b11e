#include <QAction>
#include <QActionGroup>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>
#include <cmath>
#include <exception>
#include <sstream>
#include <string>

#include "qt/zelview/viewer_impl.hpp"

namespace zelview {

using namespace zel;

namespace {

// Records of an SD file end with "$$$$"; a file without such a line is read
// as one Molfile.
bool LooksLikeSDFile(const std::string& Text) {
  size_t pos = 0;
  while ((pos = Text.find("$$$$", pos)) != std::string::npos) {
    if (pos == 0 || Text[pos - 1] == '\n') return true;
    pos += 4;
  }
  return false;
}

QString StatusSentence(int32_t Status) { return QString::fromUtf8(StructFileStatusText(Status)); }

}  // namespace

TViewerWindow::TViewerWindow()
    : FChem(std::make_unique<TChemGraph>(nullptr)),
      FMap(std::make_unique<TGeoMap>(nullptr)),
      FForm(std::make_unique<TMolForm>(nullptr)) {
  setWindowTitle("zelview");
  OnError = [this](const QString& Title, const QString& Text) {
    QMessageBox::warning(this, Title, Text);
  };

  FChem->SetName("Structure");
  FChem->SetBounds(0, 0, 560, 400);
  FMap->SetName("Map");
  FMap->SetBounds(0, 0, 560, 400);
  FForm->SetName("Formula");
  FForm->SetBounds(0, 0, 560, 60);
  TFont font = FForm->GetFont();
  font.SetSize(24);
  FForm->SetFont(font);
  // Typed formulas keep their case ("CH4", "Co", "CO"), as a user writes them.
  FForm->SetStrictSymbols(true);

  FStack = new QStackedWidget(this);
  FChemWidget = new TQtControlWidget(FChem.get());
  FMapWidget = new TQtControlWidget(FMap.get());
  auto* formPage = new QWidget;
  auto* formLayout = new QVBoxLayout(formPage);
  FFormulaEdit = new QLineEdit;
  FFormulaEdit->setPlaceholderText("Formula, e.g. C6H12O6");
  FFormWidget = new TQtControlWidget(FForm.get());
  FFormWidget->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  formLayout->addWidget(FFormulaEdit);
  formLayout->addWidget(FFormWidget);
  formLayout->addStretch(1);
  FStack->addWidget(FChemWidget);
  FStack->addWidget(FMapWidget);
  FStack->addWidget(formPage);
  setCentralWidget(FStack);

  FStatus = new QLabel;
  statusBar()->addWidget(FStatus, 1);

  connect(FFormulaEdit, &QLineEdit::returnPressed, this, [this] {
    QString error;
    if (!ShowFormula(FFormulaEdit->text(), error)) SetStatus(error);
  });

  // The map reports the position under the mouse and zooms with the wheel
  // around the mouse position.
  FMap->OnMouseMove = [this](TObject*, TShiftState, int32_t X, int32_t Y) { MapMouseMoved(X, Y); };
  FMap->OnMouseWheelUp = [this](TObject*, TShiftState, TPoint P, bool& Handled) {
    MapWheel(P.x, P.y, 1.25);
    Handled = true;
  };
  FMap->OnMouseWheelDown = [this](TObject*, TShiftState, TPoint P, bool& Handled) {
    MapWheel(P.x, P.y, 1 / 1.25);
    Handled = true;
  };

  BuildMenus();
  UpdateRecordActions();
  ShowPage(TPage::Structure);
  SetStatus("Open a structure file, a map calibration or enter a formula (File menu)");
}

TViewerWindow::~TViewerWindow() {
  // The widgets hold hosts on the components: free them first.
  delete FStack;
  FStack = nullptr;
}

void TViewerWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu("&File");
  file->addAction("&Open...", QKeySequence::Open, this, [this] { OpenDialog(); });
  file->addAction("&Formula", QKeySequence("Ctrl+F"), this, [this] {
    ShowPage(TPage::Formula);
    FFormulaEdit->setFocus();
  });
  file->addSeparator();
  file->addAction("&Quit", QKeySequence::Quit, this, [this] { close(); });

  QMenu* rec = menuBar()->addMenu("&Record");
  FPrev =
      rec->addAction("&Previous", QKeySequence("PgUp"), this, [this] { ShowRecord(FRecord - 1); });
  FNext =
      rec->addAction("&Next", QKeySequence("PgDown"), this, [this] { ShowRecord(FRecord + 1); });

  QMenu* map = menuBar()->addMenu("&Map");
  map->addAction("&Fit to window", QKeySequence("Ctrl+0"), this, [this] {
    ShowPage(TPage::Map);
    FMap->ZoomFitPage();
  });
  auto* group = new QActionGroup(this);
  FPan = map->addAction("&Pan with the mouse", this, [this] { SetMapMode(TMouseActMode::maPan); });
  FZoomBox =
      map->addAction("&Zoom to a box", this, [this] { SetMapMode(TMouseActMode::maZoomWindow); });
  for (QAction* a : {FPan, FZoomBox}) {
    a->setCheckable(true);
    group->addAction(a);
  }
  FPan->setChecked(true);
}

void TViewerWindow::OpenDialog() {
  const QString path = QFileDialog::getOpenFileName(
      this, "Open", QString(),
      "All supported (*.mol *.sdf *.sd *.xml);;Structures (*.mol *.sdf *.sd);;Map calibrations "
      "(*.xml);;All files (*)");
  if (path.isEmpty()) return;
  QString error;
  if (!OpenFile(path, error)) OnError("Cannot open " + QFileInfo(path).fileName(), error);
}

bool TViewerWindow::OpenFile(const QString& Path, QString& Error) {
  if (QFileInfo(Path).suffix().compare("xml", Qt::CaseInsensitive) == 0)
    return OpenMapFile(Path, Error);
  return OpenStructureFile(Path, Error);
}

bool TViewerWindow::OpenStructureFile(const QString& Path, QString& Error) {
  QFile f(Path);
  if (!f.open(QIODevice::ReadOnly)) {
    Error = "The file cannot be opened: " + f.errorString();
    return false;
  }
  if (f.size() > kMaxStructureFileBytes) {
    Error = "The file is larger than the viewer reads (64 MiB).";
    return false;
  }
  const QByteArray bytes = f.readAll();
  if (bytes.size() != f.size()) {
    Error = "The file cannot be read: " + f.errorString();
    return false;
  }
  std::istringstream in(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
  std::vector<std::unique_ptr<TCTab>> records;
  int skipped = 0;
  int32_t firstFault = kSFOk;
  if (LooksLikeSDFile(in.str())) {
    TPropArray props;
    for (;;) {
      auto t = std::make_unique<TCTab>(nullptr);
      const bool ok = t->ReadFromMDLSDStream(in, props);
      const int32_t st = t->GetFileStatus();
      if (st == kSFEndOfFile) break;
      // Soft faults keep the structure; a hard one skipped its record.
      if (ok || st == kSFBadBond || st == kSFBadCharge || st == kSFBadValue) {
        records.push_back(std::move(t));
      } else {
        ++skipped;
        if (firstFault == kSFOk) firstFault = st;
        // These end the input: nothing after them can be read.
        if (st == kSFTruncated || st == kSFLineTooLong || st == kSFRecordTooLong ||
            st == kSFReadError)
          break;
      }
    }
  } else {
    auto t = std::make_unique<TCTab>(nullptr);
    const bool ok = t->ReadFromMDLMolStream(in);
    const int32_t st = t->GetFileStatus();
    if (ok || st == kSFBadBond || st == kSFBadCharge || st == kSFBadValue)
      records.push_back(std::move(t));
    else
      firstFault = st;
  }
  if (records.empty()) {
    Error = firstFault == kSFOk
                ? QString("The file holds no structure.")
                : "The file holds no readable structure (" + StatusSentence(firstFault) + ").";
    return false;
  }
  FRecords = std::move(records);
  FStructurePath = Path;
  ShowRecord(0);
  if (skipped > 0)
    SetStatus(GetStatusText() + QString(" (%1 damaged record(s) skipped: %2)")
                                    .arg(skipped)
                                    .arg(StatusSentence(firstFault)));
  return true;
}

bool TViewerWindow::ShowRecord(int Index) {
  if (Index < 0 || Index >= GetRecordCount()) return false;
  FRecord = Index;
  FChem->SetStructure(FRecords[static_cast<size_t>(Index)].get());
  ShowPage(TPage::Structure);
  const std::string& name = FRecords[static_cast<size_t>(Index)]->GetStrucName();
  SetStatus(QString("%1: record %2 of %3%4")
                .arg(QFileInfo(FStructurePath).fileName())
                .arg(Index + 1)
                .arg(GetRecordCount())
                .arg(name.empty() ? QString() : " - " + QString::fromStdString(name)));
  UpdateRecordActions();
  return true;
}

bool TViewerWindow::OpenMapFile(const QString& Path, QString& Error) {
  if (!QFileInfo(Path).isFile()) {
    Error = "The file does not exist.";
    return false;
  }
  // The map display keeps a failed calibration's state, so the file is
  // tried on a scratch component first.
  auto trial = std::make_unique<TGeoMap>(nullptr);
  trial->SetBounds(0, 0, FMap->GetWidth(), FMap->GetHeight());
  try {
    if (!trial->LoadCalDataFromXML(Path.toStdString(), "")) {
      Error = "The file is not a readable map calibration.";
      return false;
    }
  } catch (const std::exception& e) {
    Error = QString("The map image cannot be used: ") + QString::fromUtf8(e.what());
    return false;
  }
  if (trial->GetMapImgWidth() <= 0 || trial->GetMapImgHeight() <= 0) {
    Error = "The calibration names no map image that can be found.";
    return false;
  }
  try {
    FMap->LoadCalDataFromXML(Path.toStdString(), "");
  } catch (const std::exception& e) {
    Error = QString("The map image cannot be used: ") + QString::fromUtf8(e.what());
    return false;
  }
  // Shown first: a hidden page receives its size only when it is shown.
  ShowPage(TPage::Map);
  FMap->ZoomFitPage();
  SetStatus(QFileInfo(Path).fileName() + ": " + QString::fromStdString(FMap->GetCaption()));
  return true;
}

bool TViewerWindow::ShowFormula(const QString& Text, QString& Error) {
  if (FFormulaEdit->text() != Text) FFormulaEdit->setText(Text);
  FForm->SetMolFormula(Text.toStdString());
  ShowPage(TPage::Formula);
  if (!FForm->GetFormula().LastParseComplete()) {
    Error = QString("The formula does not read past character %1: %2")
                .arg(FForm->GetFormula().GetParseErrorPos())
                .arg(QString::fromStdString(
                    FormulaParseErrorText(FForm->GetFormula().GetParseError())));
    return false;
  }
  SetStatus("Formula: " + Text.trimmed());
  return true;
}

TPage TViewerWindow::GetPage() const { return static_cast<TPage>(FStack->currentIndex()); }

QString TViewerWindow::GetStatusText() const { return FStatus->text(); }

void TViewerWindow::ShowPage(TPage Page) { FStack->setCurrentIndex(static_cast<int>(Page)); }

void TViewerWindow::SetStatus(const QString& Text) { FStatus->setText(Text); }

void TViewerWindow::UpdateRecordActions() {
  FPrev->setEnabled(FRecord > 0);
  FNext->setEnabled(FRecord >= 0 && FRecord + 1 < GetRecordCount());
}

void TViewerWindow::MapMouseMoved(int32_t X, int32_t Y) {
  if (FMap->GetMapImgWidth() <= 0) return;
  const TPoint p = FMap->ControlToMapImage(TPoint{X, Y});
  bool validLat = false, validLon = false;
  const double lat = FMap->CalcLatitude(p.x, p.y, validLat);
  const double lon = FMap->CalcLongitude(p.x, p.y, validLon);
  if (!validLat || !validLon || !std::isfinite(lat) || !std::isfinite(lon)) {
    SetStatus(QString("map pixel (%1, %2)").arg(p.x).arg(p.y));
    return;
  }
  SetStatus(QString("%1\u00B0 %2, %3\u00B0 %4")
                .arg(std::fabs(lat), 0, 'f', 4)
                .arg(lat < 0 ? "S" : "N")
                .arg(std::fabs(lon), 0, 'f', 4)
                .arg(lon < 0 ? "W" : "E"));
}

void TViewerWindow::MapWheel(int32_t X, int32_t Y, double Factor) {
  if (FMap->GetMapImgWidth() <= 0) return;
  // Keep the map pixel under the mouse where it is.
  const TPoint under = FMap->ControlToMapImage(TPoint{X, Y});
  const double m = FMap->GetMagnification() * Factor;
  FMap->SetMagnification(m);
  const double mNow = FMap->GetMagnification();
  FMap->SetTopLeft(TPoint{RoundToInt32(under.x - X / mNow), RoundToInt32(under.y - Y / mNow)});
  FMap->PanMapToFillWindow();
}

void TViewerWindow::SetMapMode(TMouseActMode Mode) {
  FMap->SetMouseAction(Mode);
  (Mode == TMouseActMode::maPan ? FPan : FZoomBox)->setChecked(true);
}

}  // namespace zelview
