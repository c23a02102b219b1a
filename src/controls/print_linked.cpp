// Linked together with print_setup.cpp into a program (the tests), this hands
// the windows that copy of the print setup, so the program and the windows
// share one printer and one dialog answerer instead of loading the module.
#include "controls/print_module.h"

extern "C" const sky::ui::PrintModuleApi* skyglass_print_module();

namespace {

[[maybe_unused]] const bool linked = (sky::ui::UseLinkedPrintModule(skyglass_print_module()), true);

}  // namespace
