#pragma once

#include <filesystem>
#include <string>

namespace tarnwick::pst::testing {

/// A fresh folder under the build tree, removed when the object goes.
class TempDir {
public:
    explicit TempDir(const std::string& name);
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& s) const { return path_ / s; }

private:
    std::filesystem::path path_;
};

/// Runs a shell command; returns its exit code and fills `output` with stdout+stderr.
int runCommand(const std::string& command, std::string* output = nullptr);
std::string readFile(const std::filesystem::path& p);
std::string quote(const std::filesystem::path& p);
bool haveTool(const std::string& name);
/// Runs tarnwick-pstcheck on a file when it is built; empty when clean (or not built),
/// else its report.
std::string pstcheckProblems(const std::filesystem::path& pst);

} // namespace tarnwick::pst::testing
