// SPDX-License-Identifier: MIT
#include "report.h"

namespace corvalen {

std::string BuildReport(const OutputTexts& texts)
{
    constexpr std::string_view crlf = "\r\n";
    std::string report;
    report.reserve(320);
    report.append("VSWR 1 (Source) = ").append(texts.vswr1).append("  ").append(texts.returnLoss1).append(crlf);
    report.append("VSWR 2 (Load) = ").append(texts.vswr2).append("  ").append(texts.returnLoss2).append(crlf);
    report.append(crlf);
    report.append(texts.gamma1).append(crlf);
    report.append(texts.gamma2).append(crlf).append(crlf);
    report.append(texts.maxVswr).append(crlf);
    report.append(texts.totalReturnLoss).append(crlf).append(crlf);
    report.append(texts.plusMismatch).append(crlf);
    report.append(texts.minusMismatch).append(crlf).append(crlf);
    report.append(texts.mismatchLoss).append(crlf).append(crlf);
    return report;
}

}  // namespace corvalen
