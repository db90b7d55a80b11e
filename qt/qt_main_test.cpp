// The Qt tests need one QApplication for the whole program, on the X server
// that the test command started.
#include <gtest/gtest.h>

#include <QApplication>

#include "qt/zel_qthost.hpp"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  zel::InstallQtMessagePump();
  const int rc = RUN_ALL_TESTS();
  zel::RemoveQtMessagePump();
  return rc;
}
