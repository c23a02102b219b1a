// The program's one print setup, shared by the picture viewer and the forecast
// window: one printer object that keeps the user's choices between prints,
// and one print dialog with "print to file" offered. On a desktop without an
// installed printer the setup starts on a PDF file in the user's documents
// folder, so printing always has somewhere to go.
#pragma once

#include <functional>

class QPrinter;
class QPrintDialog;
class QWidget;

namespace sky::ui {

QPrinter& SharedPrinter();

// Opens the print dialog on the shared setup; true when the user printed.
bool RunPrintDialog(QPrinter& printer, QWidget* parent);

// Tests answer the dialog in place of the user: called with the dialog as
// it would open, returns whether to print.
void SetPrintDialogAnswerer(std::function<bool(QPrintDialog& dialog)> answerer);

}  // namespace sky::ui
