#include "controls/print_setup.h"

#include "controls/print_module.h"

#include <QDir>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace sky::ui {

namespace {

std::function<bool(QPrintDialog&)>& Answerer() {
  static std::function<bool(QPrintDialog&)> answerer;
  return answerer;
}

QString DefaultPdfFile() {
  QString dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (dir.isEmpty() || !QDir(dir).exists()) dir = QDir::homePath();
  return QDir(dir).filePath("Skyglass.pdf");
}

}  // namespace

QPrinter& SharedPrinter() {
  static QPrinter* printer = [] {
    auto* p = new QPrinter(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinters().isEmpty()) {
      p->setOutputFormat(QPrinter::PdfFormat);
      p->setOutputFileName(DefaultPdfFile());
    }
    return p;
  }();
  return *printer;
}

bool RunPrintDialog(QPrinter& printer, QWidget* parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
  dialog.setWindowTitle("Print");
  if (Answerer()) return Answerer()(dialog);
  return dialog.exec() == QDialog::Accepted;
}

void SetPrintDialogAnswerer(std::function<bool(QPrintDialog& dialog)> answerer) { Answerer() = std::move(answerer); }

}  // namespace sky::ui

namespace {

QPagedPaintDevice* RunSharedPrintDialog(QWidget* parent) {
  QPrinter& printer = sky::ui::SharedPrinter();
  return sky::ui::RunPrintDialog(printer, parent) ? &printer : nullptr;
}

const sky::ui::PrintModuleApi kApi{sky::ui::kPrintModuleVersion, &RunSharedPrintDialog};

}  // namespace

extern "C" Q_DECL_EXPORT const sky::ui::PrintModuleApi* skyglass_print_module() { return &kApi; }
