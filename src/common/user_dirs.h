// The two folders the pictures and the wallpaper live in: the working folder
// for downloads ($XDG_CACHE_HOME/skyglass, else ~/.cache/skyglass) and the
// program's data folder that holds the wallpaper bitmap ($XDG_DATA_HOME/skyglass,
// else ~/.local/share/skyglass). Never the folder the program was started
// from. Read from the environment at every call.
#pragma once

#include <string>

namespace sky {

// The folder, created when missing; empty when there is no home to put it in,
// it cannot be created, or it is not safe to keep files in (FolderRefusal of
// common/safe_file.h; `refusal` then receives the reason). Only absolute XDG
// values count, as the base directory rules say.
std::string WorkingDirectory(std::string* refusal = nullptr);
std::string DataDirectory(std::string* refusal = nullptr);

}  // namespace sky
