// The print module as the program loads it on the first print: the built
// module's table and dialog, the user's text when it cannot be loaded, and
// the program itself free of the print library.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "common/offscreen_app.h"
#include "controls/print_module.h"

namespace {

const QString kBuiltModule = QString(SKYGLASS_BIN_DIR) + "/libskyglass-print.so";

TEST(PrintModule, TheBuiltModuleOpensItsDialogAndACancelPrintsNothing) {
  skytest::App();
  QString error;
  const sky::ui::PrintModuleApi* api =
      sky::ui::LoadPrintModule({"/nonexistent/libskyglass-print.so", kBuiltModule}, &error);
  ASSERT_NE(api, nullptr) << error.toStdString();
  bool sawDialog = false;
  QTimer::singleShot(0, [&] {
    if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      sawDialog = d->windowTitle() == "Print";
      d->reject();
    }
  });
  EXPECT_EQ(api->runPrintDialog(nullptr), nullptr);
  EXPECT_TRUE(sawDialog);
}

TEST(PrintModule, WhatCannotBeLoadedIsToldToTheUserByName) {
  QTemporaryDir dir;
  const QString missing = dir.filePath("libskyglass-print.so");
  QString error;
  EXPECT_EQ(sky::ui::LoadPrintModule({missing}, &error), nullptr);
  EXPECT_TRUE(error.startsWith("Printing is not available: the print module was not found")) << error.toStdString();
  EXPECT_TRUE(error.contains(missing));

  QFile f(missing);  // a damaged file where the module belongs
  ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write("not a library") > 0 && f.flush());
  EXPECT_EQ(sky::ui::LoadPrintModule({missing}, &error), nullptr);
  EXPECT_TRUE(error.startsWith("Printing is not available: the print module " + missing + " could not be loaded"))
      << error.toStdString();
}

TEST(PrintModule, TheProgramStartsWithoutThePrintLibrary) {
  std::FILE* p = popen("objdump -p '" SKYGLASS_BIN_DIR "/skyglass' 2>/dev/null", "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  pclose(p);
  if (out.find("NEEDED") == std::string::npos) GTEST_SKIP() << "objdump (binutils) is missing";
  EXPECT_NE(out.find("libQt6Widgets"), std::string::npos);
  EXPECT_EQ(out.find("PrintSupport"), std::string::npos);
}

}  // namespace
