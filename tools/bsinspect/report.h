// What bsinspect prints of the packages: a summary per package with the checks' problems, as
// text for people or as JSON for scripts and editors.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tools/bsinspect/disassembly.h"
#include "tools/bsinspect/package.h"

namespace bsinspect {

// Each package: its kind, entry count and size, a table of its entries, then its problems.
void printSummary(std::FILE* out, const std::vector<Package>& packages);
// Each package's problems alone, one line each: "ERROR- text : file", "WARNING- text : file".
void printProblems(std::FILE* out, const std::vector<Package>& packages);
// The summary as one JSON object; with `sources`, also the scripts and how to compile them.
std::string jsonReport(const std::vector<Package>& packages, const Sources* sources);

// The cells of a package's entry table, the header row first.
std::vector<std::vector<std::string>> entryTable(const Package& package);

}  // namespace bsinspect
