#include "SshPeers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "TestPeers.h"

namespace tamsivane::testing {
namespace {

bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool connected =
        fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0) close(fd);
    return connected;
}

} // namespace

bool MakeKeyPair(const std::string& path) {
    unlink(path.c_str());
    unlink((path + ".pub").c_str());
    const std::string command = "ssh-keygen -q -t ed25519 -N '' -C test -f '" + path + "'";
    return std::system(command.c_str()) == 0;
}

OpenSshServer::OpenSshServer(std::string folder) : folder_(std::move(folder)) {}

OpenSshServer::~OpenSshServer() { Stop(); }

bool OpenSshServer::MakeHostKey() { return MakeKeyPair(folder_ + "/host_key"); }

bool OpenSshServer::Authorize(const std::string& publicKeyPath) {
    std::ifstream in(publicKeyPath);
    const std::string key{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::ofstream(folder_ + "/authorized_keys", std::ios::app) << key;
    return !key.empty();
}

bool OpenSshServer::Start() {
    Stop();
    // A restarted server keeps its port, so that clients know it by it.
    if (port_ == 0) port_ = UnusedPort();
    const std::string config = folder_ + "/sshd_config";
    // The sessions' shell is /bin/sh with a home of the server's own, so
    // that nothing of the user's login profile or files runs in them (it
    // may be slow or print things); the session still asks for a terminal
    // and a shell.
    const std::string home = folder_ + "/home";
    mkdir(home.c_str(), 0700);
    std::ofstream(config) << "ListenAddress 127.0.0.1\n"
                          << "Port " << port_ << "\n"
                          << "HostKey " << folder_ << "/host_key\n"
                          << "AuthorizedKeysFile " << folder_ << "/authorized_keys\n"
                          << "PidFile none\nUsePAM no\nStrictModes no\nPermitRootLogin yes\n"
                          << "PasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                          << "PermitUserRC no\nSetEnv HOME=" << home << "\n"
                          << "ForceCommand cd && exec /bin/sh -i\n";
    // As root, sshd wants its privilege-separation folder.
    if (getuid() == 0) mkdir("/run/sshd", 0755);
    const std::string log = folder_ + "/sshd.log";
    pid_ = fork();
    if (pid_ == 0) {
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd >= 0) dup2(fd, STDERR_FILENO);
        execl(TAMSIVANE_SSHD, TAMSIVANE_SSHD, "-D", "-e", "-f", config.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid_ > 0 && WaitUntil([this] { return Accepts(port_); }, 10s);
}

void OpenSshServer::Stop() {
    if (pid_ > 0) StopChild(pid_);
    pid_ = -1;
}

std::string OpenSshServer::Log() const {
    std::ifstream in(folder_ + "/sshd.log");
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace tamsivane::testing
