// The report of fennox-stats as one self-contained page: no external files,
// no scripts; inline SVG charts. The page is well-formed XML (XHTML), so it
// also opens in tools that are strict about markup.
#pragma once

#include "dcc_stats.h"

#include <string>

std::string HtmlReport(const TDccStats& stats, const std::string& inputName);

// Text for element content and attribute values: markup characters escaped,
// bytes as the Latin-1 characters of their values, in UTF-8.
std::string XmlEscape(const std::string& text);
