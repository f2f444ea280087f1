// SPDX-License-Identifier: MIT
#pragma once

namespace corvalen {

// Adds the Liberation Sans faces built into the program to the running Qt
// application's fonts; false if one of them could not be added. Called once
// for each QGuiApplication, after it is made.
bool RegisterProgramFonts();

}  // namespace corvalen
