// SSH peers for the tests: a throw-away OpenSSH server with its own keys and
// configuration in a folder of the test's, and key pairs made by ssh-keygen.
// Nothing of the system's SSH setup or the user's files is touched.
#pragma once

#include <sys/types.h>

#include <string>

namespace tamsivane::testing {

// An ed25519 key pair without passphrase at path and path + ".pub".
bool MakeKeyPair(const std::string& path);

class OpenSshServer {
public:
    // folder: an existing folder for the server's files.
    explicit OpenSshServer(std::string folder);
    ~OpenSshServer();
    OpenSshServer(const OpenSshServer&) = delete;
    OpenSshServer& operator=(const OpenSshServer&) = delete;

    // A new host key (the first, or one replacing it before the next Start).
    bool MakeHostKey();
    // Lets in whoever holds the private key of the public key file.
    bool Authorize(const std::string& publicKeyPath);
    // Runs sshd on 127.0.0.1 at a free port; false when it does not come up.
    bool Start();
    void Stop();
    int Port() const { return port_; }
    // What sshd wrote to standard error.
    std::string Log() const;

private:
    std::string folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

} // namespace tamsivane::testing
