// SPDX-License-Identifier: MIT
#pragma once

// The value forms of measured data as both programs read them (1.5, rl=23,
// gamma=0.07, amp.s2p:S22, loss=6,vswr=1.2), from the library they share.
// The module's only use of that library: throws ModuleError for a bad form.

#include "measured/inputs.h"
#include "measuredtext/quantities.h"

#include <string>
#include <string_view>
#include <vector>

namespace corvalen::python {

// SOURCE or LOAD: a fixed value, else a file with its reflection's choice.
measured::SideInput ParseSideForm(std::string_view role, std::string_view text);

// A two-port of the chain: loss=DB,vswr=V, else the path of a two-port file,
// turned round (port 2 facing the source) where it ends in ":reversed".
measured::TwoPortInput ParseTwoPortForm(std::string_view role, std::string_view text);

// A probability given in percent, read as hundredths the way corvalen-cli
// reads it, so that 99.73 gives the double nearest 0.9973.
double CoverageProbability(double percent);

// The quantities of the sweep table's columns in its order, with the chain's
// when it has one.
std::vector<const measuredtext::Quantity*> SweepQuantities(bool withChain);

}  // namespace corvalen::python
