// Printing lives in a module of its own (libskyglass-print.so: the printer,
// the print dialog and Qt's print support), loaded on the first print. The
// program's start then maps and relocates no printing library at all; the
// windows only draw their pages onto the paged device the module hands them.
#pragma once

#include <QString>
#include <QStringList>

class QPagedPaintDevice;
class QWidget;

namespace sky::ui {

// What the module offers, as one table; `version` changes with the table.
struct PrintModuleApi {
  int version;
  // The print dialog on the program's one print setup: the printer to draw
  // on when the user chose to print, null when the dialog was cancelled.
  QPagedPaintDevice* (*runPrintDialog)(QWidget* parent);
};

inline constexpr int kPrintModuleVersion = 1;
// The module's one exported function, returning its table.
inline constexpr char kPrintModuleEntry[] = "skyglass_print_module";
using PrintModuleEntry = const PrintModuleApi* (*)();

// The module, loaded on the first call and kept; throws sky::Exception with
// the text for the user's error box when it cannot be loaded (later calls
// try again).
const PrintModuleApi& PrintModule();

// Where the module is looked for, in order: beside the executable (a build
// tree), then the installed library folder.
QStringList PrintModuleFiles();

// Loads the first of `files` that exists; the table, or null with the
// user's text in `error`.
const PrintModuleApi* LoadPrintModule(const QStringList& files, QString* error);

// Print code linked into the program itself (the tests): used in place of
// the module.
void UseLinkedPrintModule(const PrintModuleApi* api);

}  // namespace sky::ui
