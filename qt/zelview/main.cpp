// zelview: shows structure files, calibrated maps and formulas with the
// components of the library, hosted in Qt widgets.
//   zelview [file.sdf | file.mol | map.xml] [--formula TEXT]
#include <QApplication>
#include <QStringList>

#include "qt/zel_qthost.hpp"
#include "qt/zelview/viewer_impl.hpp"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  zel::InstallQtMessagePump();
  zel::InstallQtClipboard();
  int rc = 0;
  {
    zelview::TViewerWindow w;
    w.resize(640, 520);
    const QStringList args = QApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
      QString error;
      if (args[i] == "--formula" && i + 1 < args.size()) {
        if (!w.ShowFormula(args[++i], error)) w.OnError("Formula", error);
      } else if (!w.OpenFile(args[i], error)) {
        w.OnError("Cannot open " + args[i], error);
      }
    }
    w.show();
    rc = QApplication::exec();
  }
  zel::RemoveQtClipboard();
  zel::RemoveQtMessagePump();
  return rc;
}
