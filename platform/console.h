// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace corvalen::platform {

// The program's arguments after its name, in UTF-8. Windows hands `argv` over
// in the active code page, which cannot hold every file name, so there they
// are taken from the wide-character command line instead.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Standard output and error written byte for byte. Windows otherwise writes
// each LF as CR LF: rows would end differently than elsewhere, and a CR LF
// already in the text would get a second CR.
void WriteStandardStreamsAsBytes();

}  // namespace corvalen::platform
