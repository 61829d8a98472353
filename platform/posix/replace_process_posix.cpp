// Another program in this process's place, by execv.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/replace_process.h"

namespace zep {

std::string ReplaceProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    return std::strerror(errno);
}

}  // namespace zep
