// SPDX-License-Identifier: MIT
#pragma once

#include "result_texts.h"

#include <string>

namespace corvalen {

// The clipboard report: fourteen CR LF terminated lines assembled from the
// eleven output texts as they stand, so it always matches what is on screen.
std::string BuildReport(const OutputTexts& texts);

}  // namespace corvalen
