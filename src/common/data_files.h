// Where the program finds the files it ships beside its executable (the help
// manual, for one). The build tree and an installed program have the same
// shape: <prefix>/bin/<program> and <prefix>/share/skyglass/<files>.
#pragma once

#include <string>

namespace sky {

// The full path of `relative` (e.g. "help/index.html") among the program's
// data files, or an empty text when it is nowhere. Looks, in this order, in
// $SKYGLASS_DATA_DIR, in <executable's folder>/../share/skyglass and in
// <executable's folder>/share/skyglass.
std::string FindDataFile(const std::string& relative);

// The folder of the running executable (from /proc/self/exe), empty when the
// system does not say.
std::string ExecutableDir();

}  // namespace sky
