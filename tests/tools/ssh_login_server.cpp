// A small SSH server for the password and keyboard-interactive login tests
// (an OpenSSH server would need a system account with that password).
//
//   ssh_login_server HOST_KEY PASSWORD password|kbdint
//
// Prints the port it listens on (127.0.0.1), takes one connection, accepts
// the one login method with PASSWORD, and for the shell writes
// "login=METHOD term=TERM size=COLSxROWS", then echoes what it receives
// until a line "exit" comes, which ends the session.
#include <libssh/libssh.h>
#include <libssh/server.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "LoopbackListen.h"

namespace {

struct Login {
    std::string password;
    bool interactive = false;
    bool accepted = false;
};

// Answers authentication requests until the login succeeds or the client goes.
bool Authenticate(ssh_session session, Login& login) {
    const int method = login.interactive ? SSH_AUTH_METHOD_INTERACTIVE : SSH_AUTH_METHOD_PASSWORD;
    while (ssh_message message = ssh_message_get(session)) {
        bool done = false;
        if (ssh_message_type(message) == SSH_REQUEST_AUTH) {
            const int subtype = ssh_message_subtype(message);
            if (subtype == SSH_AUTH_METHOD_PASSWORD && !login.interactive) {
                const char* given = ssh_message_auth_password(message);
                done = given && login.password == given;
            } else if (subtype == SSH_AUTH_METHOD_INTERACTIVE && login.interactive) {
                if (!ssh_message_auth_kbdint_is_response(message)) {
                    const char* prompts[] = {"Password: "};
                    char echo[] = {0};
                    ssh_message_auth_interactive_request(message, "login", "", 1, prompts, echo);
                    ssh_message_free(message);
                    continue;
                }
                const char* answer = ssh_userauth_kbdint_getnanswers(session) == 1
                                         ? ssh_userauth_kbdint_getanswer(session, 0)
                                         : nullptr;
                done = answer && login.password == answer;
            }
        }
        if (done) {
            ssh_message_auth_reply_success(message, 0);
            ssh_message_free(message);
            login.accepted = true;
            return true;
        }
        ssh_message_auth_set_methods(message, method);
        ssh_message_reply_default(message);
        ssh_message_free(message);
    }
    return false;
}

// The channel, the terminal request and the shell request.
ssh_channel OpenShell(ssh_session session, std::string& term, int& columns, int& rows) {
    ssh_channel channel = nullptr;
    while (ssh_message message = ssh_message_get(session)) {
        const int type = ssh_message_type(message);
        const int subtype = ssh_message_subtype(message);
        if (type == SSH_REQUEST_CHANNEL_OPEN && subtype == SSH_CHANNEL_SESSION && !channel) {
            channel = ssh_message_channel_request_open_reply_accept(message);
        } else if (type == SSH_REQUEST_CHANNEL && subtype == SSH_CHANNEL_REQUEST_PTY) {
            term = ssh_message_channel_request_pty_term(message);
            columns = ssh_message_channel_request_pty_width(message);
            rows = ssh_message_channel_request_pty_height(message);
            ssh_message_channel_request_reply_success(message);
        } else if (type == SSH_REQUEST_CHANNEL && subtype == SSH_CHANNEL_REQUEST_SHELL) {
            ssh_message_channel_request_reply_success(message);
            ssh_message_free(message);
            return channel;
        } else {
            ssh_message_reply_default(message);
        }
        ssh_message_free(message);
    }
    return nullptr;
}

void Echo(ssh_channel channel) {
    std::string line;
    char buffer[1024];
    for (;;) {
        const int n = ssh_channel_read_timeout(channel, buffer, sizeof buffer, 0, 30000);
        if (n <= 0) return;
        ssh_channel_write(channel, buffer, static_cast<uint32_t>(n));
        for (int i = 0; i < n; ++i) {
            if (buffer[i] != '\r' && buffer[i] != '\n') {
                line += buffer[i];
            } else if (line == "exit") {
                return;
            } else {
                line.clear();
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: ssh_login_server HOST_KEY PASSWORD password|kbdint\n");
        return 2;
    }
    Login login{argv[2], std::strcmp(argv[3], "kbdint") == 0};
    const int listener = ListenOnLoopback("ssh_login_server");
    if (listener < 0) return 1;
    const int connection = accept(listener, nullptr, nullptr);
    if (connection < 0) return 1;
    ssh_bind bind = ssh_bind_new();
    ssh_session session = ssh_new();
    ssh_bind_options_set(bind, SSH_BIND_OPTIONS_HOSTKEY, argv[1]);
    if (ssh_bind_accept_fd(bind, session, connection) != SSH_OK ||
        ssh_handle_key_exchange(session) != SSH_OK) {
        std::fprintf(stderr, "ssh_login_server: %s\n", ssh_get_error(session));
        return 1;
    }
    std::string term;
    int columns = 0;
    int rows = 0;
    ssh_channel channel = nullptr;
    if (Authenticate(session, login)) channel = OpenShell(session, term, columns, rows);
    if (channel) {
        const std::string greeting = std::string("login=") + argv[3] + " term=" + term +
                                     " size=" + std::to_string(columns) + "x" +
                                     std::to_string(rows) + "\r\n";
        ssh_channel_write(channel, greeting.data(), static_cast<uint32_t>(greeting.size()));
        Echo(channel);
        ssh_channel_request_send_exit_status(channel, 0);
        ssh_channel_send_eof(channel);
        ssh_channel_close(channel);
    }
    ssh_disconnect(session);
    ssh_free(session);
    ssh_bind_free(bind);
    return channel ? 0 : 1;
}
