// Reading /proc/self/task/<tid>/stat.
#include "tests/support/thread_cpu.h"

#include <dirent.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace testing_support {

double ThreadCpuSeconds(const std::string& name) {
    double total = 0;
    DIR* tasks = opendir("/proc/self/task");
    if (!tasks)
        return 0;
    while (dirent* entry = readdir(tasks)) {
        const std::string task = std::string("/proc/self/task/") + entry->d_name;
        std::string comm;
        std::getline(std::ifstream(task + "/comm"), comm);
        if (comm != name)
            continue;
        std::string stat;
        std::getline(std::ifstream(task + "/stat"), stat);
        // After the name in parentheses: state, then 10 fields before utime and stime.
        std::istringstream fields(stat.substr(stat.rfind(')') + 2));
        std::string skip;
        for (int i = 0; i < 11; ++i)
            fields >> skip;
        long user = 0, system = 0;
        fields >> user >> system;
        total += double(user + system) / double(sysconf(_SC_CLK_TCK));
    }
    closedir(tasks);
    return total;
}

} // namespace testing_support
