// A spool command for the printing tests: copies its standard input into a
// new file "job-<n>" (the first free n) in the folder given, then exits 0.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    int fd = -1;
    for (int n = 1; fd < 0 && n < 10000; ++n) {
        const std::string path = std::string(argv[1]) + "/job-" + std::to_string(n);
        if (access(path.c_str(), F_OK) == 0) continue;
        fd = open((path + ".part").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd >= 0) {
            char buffer[4096];
            ssize_t got;
            while ((got = read(STDIN_FILENO, buffer, sizeof buffer)) > 0) {
                if (write(fd, buffer, static_cast<size_t>(got)) != got) return 1;
            }
            close(fd);
            // Whole jobs only appear under their name.
            return std::rename((path + ".part").c_str(), path.c_str()) == 0 ? 0 : 1;
        }
    }
    return 1;
}
