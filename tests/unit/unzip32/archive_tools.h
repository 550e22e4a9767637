// Archive makers and a reference extractor run at test time (python3
// zipfile, bsdtar, 7z): the native tests' own, beside the shared harness.
#pragma once

#include <string>

#include "unzip_harness.h"

namespace uztest {

int Shell(const std::string& command);                 // exit status
void RunPython(const std::string& script);             // fails the test on error
// Extracts with python3 zipfile into `dir` (the reference).
void PythonExtract(const fs::path& zip, const fs::path& dir, const std::string& password = {});
bool HaveTool(const std::string& name);

}  // namespace uztest
