// PURPOSE: the fault campaign's runner, called by fault_driver's entry.
#pragma once
#include <string>

// Runs the fault campaign's cases listed in listFile, each bounded by
// limitMs; prints one line per case (see fault_cases.cpp).
int RunFaultCases(const std::string& listFile, int limitMs);
