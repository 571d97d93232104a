#include "TestSupport.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace tarnwick::pst::testing {

TempDir::TempDir(const std::string& name) {
    path_ = std::filesystem::path(TARNWICK_BINARY_DIR) / "test-tmp" / (name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

int runCommand(const std::string& command, std::string* output) {
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    std::array<char, 4096> buffer{};
    std::string out;
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
    int status = ::pclose(pipe);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string quote(const std::filesystem::path& p) {
    std::string s = "'";
    for (char c : p.string()) {
        if (c == '\'') s += "'\\''";
        else s += c;
    }
    return s + "'";
}

bool haveTool(const std::string& name) { return runCommand("command -v " + name) == 0; }

std::string pstcheckProblems(const std::filesystem::path& pst) {
#ifdef PSTCHECK_EXE
    std::string out;
    if (runCommand(std::string(PSTCHECK_EXE) + " " + quote(pst), &out) != 0) return out.empty() ? "pstcheck failed" : out;
#else
    (void)pst;
#endif
    return {};
}

} // namespace tarnwick::pst::testing
