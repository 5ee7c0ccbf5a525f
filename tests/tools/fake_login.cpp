// A login service for the login-script tests, run by the Telnet server on a
// pseudo-terminal: asks for a name and a password (read without echo) and
// welcomes the user "alice" with the password "secret".
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

std::string ReadLine() {
    std::string line;
    std::getline(std::cin, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

} // namespace

int main() {
    std::cout << "login: " << std::flush;
    const std::string name = ReadLine();
    std::cout << "Password: " << std::flush;
    termios saved{};
    const bool terminal = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    }
    const std::string password = ReadLine();
    if (terminal) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    std::cout << "\r\n"
              << (name == "alice" && password == "secret" ? "Welcome" : "Login incorrect") << "\r\n"
              << std::flush;
    // Time for the server to pass the answer on before the session closes.
    sleep(1);
    return 0;
}
