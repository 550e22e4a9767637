#include "archive_tools.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

namespace uztest {

int Shell(const std::string& command) {
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void RunPython(const std::string& script) {
    Scratch tmp;
    WriteFile(tmp / "script.py", script);
    ASSERT_EQ(Shell("python3 '" + (tmp / "script.py").string() + "'"), 0) << script;
}

void PythonExtract(const fs::path& zip, const fs::path& dir, const std::string& password) {
    RunPython("import zipfile\nz = zipfile.ZipFile(r'''" + zip.string() + "''')\n" +
              (password.empty() ? "" : "z.setpassword(b'" + password + "')\n") + "z.extractall(r'''" +
              dir.string() + "''')\n");
}

bool HaveTool(const std::string& name) { return Shell("command -v " + name + " >/dev/null 2>&1") == 0; }

}  // namespace uztest
