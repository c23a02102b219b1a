// Texts from outside made safe for where they are written out: a shell
// command line shown to the user, a line of a log.
#pragma once

#include <string>
#include <string_view>

namespace sky {

// One argument as a POSIX shell reads it back as exactly that word: bare
// when it holds only harmless characters, else in single quotes; a text with
// a control character (a line break) in the $'...' form, so it stays on one line.
std::string ShellQuoted(std::string_view s);

// Control characters (below 32, and 127) and the backslash as \xHH, so a
// text from outside cannot start a line of its own in a log.
std::string EscapedControls(std::string_view s);

}  // namespace sky
