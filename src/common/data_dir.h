// Where the program's own read-only files are (the help manual and anything
// else it reads at run time). They lie beside the executable, at
// <folder of the executable>/../share/skyglass, both in the build tree
// (build/bin, build/share/skyglass) and under any installation prefix, so a
// relocated installation keeps working.
#pragma once

#include <string>

namespace sky {

// The folder holding the running executable, symbolic links resolved;
// empty when the system cannot tell.
std::string ExecutableDir();

// The data folder: $SKYGLASS_DATA_DIR when that is set and not empty,
// otherwise the folder beside the executable described above. The folder
// need not exist; callers report a missing file as they would any other.
std::string DataDir();

// DataDir() + "/" + relative (e.g. DataFile("help/index.html")).
std::string DataFile(const std::string& relative);

}  // namespace sky
