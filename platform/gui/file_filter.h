#pragma once

#include <string>
#include <vector>

// Converts a bar-separated filter ("Description|pattern;pattern|...||") into
// name filters for Qt's file dialog, one per description/pattern pair, in
// order. Each reads "Description (p1 p2 ...)": the description as written,
// then the patterns that Qt matches, split on ';' and any white space (Qt
// itself splits on blanks only). "*.*" becomes "*", so it matches names
// without a dot too. Shown with the details hidden, each filter reads as its
// description alone.
std::vector<std::string> QtNameFilters(const char* filter);
