#include "controls/print_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

#include "common/exceptions.h"

namespace sky::ui {

namespace {

const PrintModuleApi* linkedApi = nullptr;

}  // namespace

QStringList PrintModuleFiles() {
  const QDir bin(QCoreApplication::applicationDirPath());
  return {bin.filePath(SKYGLASS_PRINT_MODULE_FILE),
          QDir::cleanPath(bin.filePath(SKYGLASS_MODULE_DIR "/" SKYGLASS_PRINT_MODULE_FILE))};
}

const PrintModuleApi* LoadPrintModule(const QStringList& files, QString* error) {
  QString file;
  for (const QString& f : files) {
    if (QFileInfo::exists(f)) {
      file = f;
      break;
    }
  }
  const QString prefix = "Printing is not available: ";
  if (file.isEmpty()) {
    *error = prefix + "the print module was not found (looked for " + files.join(", ") + ").";
    return nullptr;
  }
  // Never unloaded: the printer it made outlives every print.
  auto* library = new QLibrary(file);
  const auto entry = reinterpret_cast<PrintModuleEntry>(library->resolve(kPrintModuleEntry));
  const PrintModuleApi* api = entry ? entry() : nullptr;
  if (!api) {
    *error = prefix + "the print module " + file + " could not be loaded (" + library->errorString() + ").";
  } else if (api->version != kPrintModuleVersion || !api->runPrintDialog) {
    *error = prefix + "the print module " + file + " belongs to another version of the program.";
    api = nullptr;
  }
  if (!api) {
    library->unload();
    delete library;
  }
  return api;
}

const PrintModuleApi& PrintModule() {
  static const PrintModuleApi* loaded = nullptr;
  if (linkedApi) return *linkedApi;
  if (!loaded) {
    QString error;
    loaded = LoadPrintModule(PrintModuleFiles(), &error);
    if (!loaded) throw Exception(error.toStdString());
  }
  return *loaded;
}

void UseLinkedPrintModule(const PrintModuleApi* api) { linkedApi = api; }

}  // namespace sky::ui
