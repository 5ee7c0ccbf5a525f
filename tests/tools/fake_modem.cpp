// Test modem: answers Hayes AT commands on standard input and output as its
// script says, logs what it was told, and once connected echoes data back
// until it is told to hang up.  Ends after two minutes in any case.
//
//   fake_modem SCRIPT LOG
//
// Script lines:
//   echo              echo command characters back, as a modem in ATE1 does
//   ATZ <reply>       the reply to ATZ ("silent": none); by default OK
//   AT <reply>        the reply to other commands but ATD and ATH; by default OK
//   dial <reply>      a result line sent after ATD, in order, 200 ms apart;
//                     without any, dialling never ends by itself
//   greeting <text>   sent once connected
//   hangup-on <text>  received once connected: the modem drops the call and ends
// Log lines: "CMD <command>", "ABORT" (a character while dialling), "ESCAPE"
// ("+++" between guard times of silence), "HANGUP" (ATH).
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr auto kLifetime = 120s;
constexpr auto kResultPause = 200ms;
constexpr auto kGuardTime = 800ms;
constexpr size_t kMaxLine = 256;

struct Script {
    bool echo = false;
    std::string atz = "OK";
    std::string at = "OK";
    std::vector<std::string> dial;
    std::string greeting;
    std::string hangupOn;
};

Script ReadScript(const char* path) {
    Script script;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const size_t space = line.find(' ');
        const std::string word = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (word == "echo") script.echo = true;
        if (word == "ATZ") script.atz = rest;
        if (word == "AT") script.at = rest;
        if (word == "dial") script.dial.push_back(rest);
        if (word == "greeting") script.greeting = rest;
        if (word == "hangup-on") script.hangupOn = rest;
    }
    return script;
}

class Modem {
public:
    Modem(Script script, const char* logPath) : script_(std::move(script)), log_(logPath) {}

    int Run() {
        const Clock::time_point end = Clock::now() + kLifetime;
        while (Clock::now() < end && !done_) {
            pollfd entry{0, POLLIN, 0};
            const int ready = poll(&entry, 1, 50);
            if (ready < 0) return 1;
            if (ready == 1) {
                char buffer[512];
                const ssize_t n = read(0, buffer, sizeof buffer);
                if (n <= 0) return 0;
                for (ssize_t i = 0; i < n; ++i) Take(buffer[i]);
                lastInput_ = Clock::now();
            }
            Tick();
        }
        return 0;
    }

private:
    enum class Mode { Command, Dialling, Data };

    void Send(const std::string& text) {
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = write(1, text.data() + done, text.size() - done);
            if (n <= 0) return;
            done += static_cast<size_t>(n);
        }
    }
    void Reply(const std::string& text) {
        if (text != "silent") Send("\r\n" + text + "\r\n");
    }
    void Log(const std::string& text) { log_ << text << std::endl; }

    void Take(char c) {
        switch (mode_) {
        case Mode::Command:
            TakeCommand(c);
            break;
        case Mode::Dialling:
            Log("ABORT");
            Reply("NO CARRIER");
            mode_ = Mode::Command;
            break;
        case Mode::Data:
            TakeData(c);
            break;
        }
    }

    void TakeCommand(char c) {
        if (script_.echo) Send(std::string(1, c));
        if (c != '\r') {
            if (line_.size() < kMaxLine) line_ += c;
            return;
        }
        // Whatever came before "AT" is noise.
        const size_t at = line_.find("AT");
        const std::string command = at == std::string::npos ? "" : line_.substr(at);
        line_.clear();
        if (command.empty()) return;
        Log("CMD " + command);
        if (command == "ATZ") {
            Reply(script_.atz);
        } else if (command.starts_with("ATD")) {
            mode_ = Mode::Dialling;
            next_ = 0;
            nextAt_ = Clock::now() + kResultPause;
        } else if (command == "ATH") {
            Log("HANGUP");
            Reply("OK");
            done_ = true;
        } else {
            Reply(script_.at);
        }
    }

    void TakeData(char c) {
        // "+++" after a guard time of silence may be the escape.
        const bool quietBefore = Clock::now() - lastInput_ >= kGuardTime;
        if (c == '+' && (pluses_ > 0 || quietBefore) && pluses_ < 3) {
            ++pluses_;
            return;
        }
        if (pluses_ > 0) Send(std::string(pluses_, '+'));
        pluses_ = 0;
        Send(std::string(1, c));
        received_ += c;
        if (received_.size() > kMaxLine) received_.erase(0, received_.size() - kMaxLine);
        if (!script_.hangupOn.empty() && received_.find(script_.hangupOn) != std::string::npos) {
            Log("DROPPED");
            done_ = true;
        }
    }

    void Tick() {
        if (mode_ == Mode::Data && pluses_ == 3 && Clock::now() - lastInput_ >= kGuardTime) {
            Log("ESCAPE");
            pluses_ = 0;
            mode_ = Mode::Command;
            Reply("OK");
        }
        if (mode_ != Mode::Dialling || next_ >= script_.dial.size() || Clock::now() < nextAt_) {
            return;
        }
        const std::string& result = script_.dial[next_++];
        nextAt_ = Clock::now() + kResultPause;
        Reply(result);
        if (result.starts_with("CONNECT")) {
            mode_ = Mode::Data;
            lastInput_ = Clock::now();
            if (!script_.greeting.empty()) Send(script_.greeting);
        } else if (result != "RINGING") {
            mode_ = Mode::Command;
        }
    }

    Script script_;
    std::ofstream log_;
    Mode mode_ = Mode::Command;
    std::string line_;
    std::string received_;
    size_t next_ = 0;
    Clock::time_point nextAt_;
    Clock::time_point lastInput_ = Clock::now();
    int pluses_ = 0;
    bool done_ = false;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fake_modem SCRIPT LOG\n");
        return 2;
    }
    return Modem(ReadScript(argv[1]), argv[2]).Run();
}
