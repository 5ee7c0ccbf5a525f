// "sys": sleeping, the user's boxes, files, commands and the date; and the
// file objects sys.OpenFile makes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/ChildProcess.h"
#include "platform/SafeFile.h"
#include "script/BuiltinObjects.h"
#include "script/CScript.h"
#include "script/ScriptHost.h"

namespace tamsivane {
namespace {

// What a script the host started may use while HostScript is 0.
constexpr std::array<std::string_view, 12> kAllowedForHost = {
    "Wait",      "wait",      "Get",       "Send",  "send",  "Screen",
    "CursorRow", "CursorCol", "Connected", "Sleep", "sleep", "FormatDate"};

constexpr size_t kReadLineLimit = 254;
constexpr size_t kCopyBlock = 4096;
constexpr size_t kMaxFormattedDate = 1024;

// The open flags of a stream mode: r, w or a, then "b" and "+" in either
// order; nothing for another text.
std::optional<int> StreamModeFlags(std::string_view mode) {
    if (mode.empty() || mode.size() > 3 || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
        return std::nullopt;
    }
    bool binary = false, update = false;
    for (char c : mode.substr(1)) {
        bool& seen = c == 'b' ? binary : update;
        if ((c != 'b' && c != '+') || seen) return std::nullopt;
        seen = true;
    }
    const int access = update ? O_RDWR : mode[0] == 'r' ? O_RDONLY : O_WRONLY;
    const int creation = mode[0] == 'w'   ? O_CREAT | O_TRUNC
                         : mode[0] == 'a' ? O_CREAT | O_APPEND
                                          : 0;
    return access | creation;
}

struct CloseStream {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using Stream = std::unique_ptr<std::FILE, CloseStream>;

// A stream on a regular file only: a FIFO or a device could hold the script
// in an open or a read that cancelling cannot end.
Stream OpenStream(const std::string& path, std::string_view mode) {
    const std::optional<int> flags = StreamModeFlags(mode);
    if (!flags) return nullptr;
    const int fd = OpenRegularFile(path, *flags);
    if (fd < 0) return nullptr;
    Stream file(fdopen(fd, std::string(mode).c_str()));
    if (!file) close(fd);
    return file;
}

class CFileObject final : public CScriptObject {
public:
    explicit CFileObject(Stream file) : file_(std::move(file)) {}

    void CallMethod(const std::string& name, std::vector<CScriptValue>& arguments,
                    CScriptValue& result) override {
        const ScriptArgs args(arguments);
        if (name != "Write" && name != "ReadLine" && name != "Read" && name != "Close") {
            RaiseScriptError(ScriptErr::InvalidMethod, name);
        }
        // After Close the stream is gone.
        if (!file_) RaiseScriptError(ScriptErr::InvalidParameters, name);
        if (name == "Write") {
            const std::string text = args.String(0);
            std::fwrite(text.data(), 1, text.size(), file_.get());
            result = CScriptValue::String({});
        } else if (name == "ReadLine") {
            std::string line;
            int c;
            while (line.size() < kReadLineLimit && (c = std::fgetc(file_.get())) != EOF) {
                line += static_cast<char>(c);
                if (c == '\n') break;
            }
            result = CScriptValue::String(std::move(line));
        } else if (name == "Read") {
            const int32_t count = args.Number(0);
            if (count < 1) RaiseScriptError(ScriptErr::InvalidParameters, name);
            std::string data(
                std::min<size_t>(static_cast<size_t>(count), CScriptValue::kMaxStringLength - 1),
                '\0');
            data.resize(std::fread(data.data(), 1, data.size(), file_.get()));
            result = CScriptValue::String(std::move(data));
        } else {
            file_.reset();
            result = CScriptValue::String({});
        }
    }

private:
    Stream file_;
};

class CSysObject final : public CScriptObject {
public:
    explicit CSysObject(CScript& script) : script_(script), host_(script.Host()) {}

    void CallMethod(const std::string& name, std::vector<CScriptValue>& arguments,
                    CScriptValue& result) override;

private:
    static const MethodEntry<CSysObject> kMethods[];

    std::function<bool()> Stop() {
        return [this] { return script_.Input().Cancelled(); };
    }
    void StopIfCancelled() {
        if (script_.Input().Cancelled()) throw ScriptCancelled();
    }

    CScriptValue PlaySound(const ScriptArgs& args) {
        PlaySoundFile(args.String(0), Stop());
        StopIfCancelled();
        return CScriptValue::String({});
    }
    CScriptValue Sleep(const ScriptArgs& args) {
        const int32_t ms = args.Number(0);
        if (!script_.Input().SleepFor(std::chrono::milliseconds(std::max(ms, 0)))) {
            throw ScriptCancelled();
        }
        return CScriptValue::String({});
    }
    CScriptValue MessageBox(const ScriptArgs& args) {
        const std::string text = args.String(0);
        return CScriptValue::Number(
            host_.MessageBox(text, args.String(1, "Tamsivane"), args.Number(2, 0), Stop()));
    }
    CScriptValue FileExists(const ScriptArgs& args) {
        struct stat info;
        const std::string path = args.String(0);
        return CScriptValue::Number(stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode));
    }
    CScriptValue OpenFile(const ScriptArgs& args) {
        const std::string path = args.String(0);
        const std::string mode = args.String(1);
        Stream file = OpenStream(path, mode);
        if (!file) RaiseScriptError(ScriptErr::CannotOpenFile, path);
        return CScriptValue::Object(script_.Adopt(std::make_unique<CFileObject>(std::move(file))));
    }
    CScriptValue CopyFile(const ScriptArgs& args) {
        const std::string source = args.String(0);
        const std::string destination = args.String(1);
        const int32_t method = args.Number(2, 0);
        if (method != 0 && method != 1) return CScriptValue::Number(0);
        const Stream in = OpenStream(source, "rb");
        // A file copied onto itself would be emptied first, or grow without end.
        struct stat from {
        }, to{};
        if (!in || (stat(destination.c_str(), &to) == 0 && fstat(fileno(in.get()), &from) == 0 &&
                    from.st_dev == to.st_dev && from.st_ino == to.st_ino)) {
            return CScriptValue::Number(0);
        }
        Stream out = OpenStream(destination, method == 0 ? "wb" : "ab");
        bool ok = out != nullptr;
        char block[kCopyBlock];
        size_t n;
        while (ok && (n = std::fread(block, 1, sizeof block, in.get())) > 0) {
            StopIfCancelled();
            ok = std::fwrite(block, 1, n, out.get()) == n;
        }
        ok = ok && !std::ferror(in.get());
        if (out && std::fclose(out.release()) != 0) ok = false;
        return CScriptValue::Number(method == 0 && ok ? 1 : 0);
    }
    CScriptValue DeleteFile(const ScriptArgs& args) {
        const std::string path = args.String(0);
        return CScriptValue::Number(unlink(path.c_str()) == 0);
    }
    CScriptValue System(const ScriptArgs& args) {
        const int status = RunShellCommand(args.String(0), Stop());
        StopIfCancelled();
        return CScriptValue::Number(status);
    }
    CScriptValue LoadSession(const ScriptArgs& args) {
        host_.LoadSession(args.String(0));
        return CScriptValue::String({});
    }
    CScriptValue InputBox(const ScriptArgs& args) {
        const std::string prompt = args.String(0);
        const std::string initial = args.String(1, "");
        const int32_t style = args.Number(2, 0);
        const InputStyle inputStyle =
            style >= 0 && style <= 3 ? static_cast<InputStyle>(style) : InputStyle::Plain;
        return CScriptValue::String(
            host_.InputBox(prompt, initial, inputStyle, Stop()).value_or(""));
    }
    CScriptValue FormatDate(const ScriptArgs& args) {
        std::string format = args.String(0, "");
        if (format.empty()) format = "%c";
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::string text(kMaxFormattedDate, '\0');
        text.resize(std::strftime(text.data(), text.size(), format.c_str(), &local));
        return CScriptValue::String(std::move(text));
    }

    CScript& script_;
    ScriptHost& host_;
};

const MethodEntry<CSysObject> CSysObject::kMethods[] = {
    {"PlaySound", &CSysObject::PlaySound},   {"Sleep", &CSysObject::Sleep},
    {"sleep", &CSysObject::Sleep},           {"MessageBox", &CSysObject::MessageBox},
    {"FileExists", &CSysObject::FileExists}, {"OpenFile", &CSysObject::OpenFile},
    {"CopyFile", &CSysObject::CopyFile},     {"DeleteFile", &CSysObject::DeleteFile},
    {"System", &CSysObject::System},         {"LoadSession", &CSysObject::LoadSession},
    {"InputBox", &CSysObject::InputBox},     {"FormatDate", &CSysObject::FormatDate},
};

void CSysObject::CallMethod(const std::string& name, std::vector<CScriptValue>& arguments,
                            CScriptValue& result) {
    CallFromTable(script_, *this, kMethods, name, arguments, result);
}

} // namespace

void CheckHostRestriction(CScript& script, const std::string& name) {
    if (!script.FromHost()) return;
    for (std::string_view allowed : kAllowedForHost) {
        if (name == allowed) return;
    }
    SettingValue hostScript;
    if (script.Host().GetParameter("HostScript", -1, hostScript) && hostScript.number != 0) return;
    RaiseScriptError(ScriptErr::ProtectedFunction, name);
}

std::unique_ptr<CScriptObject> MakeSysObject(CScript& script) {
    return std::make_unique<CSysObject>(script);
}

int DefaultMessageBoxResult(int style) {
    using namespace MessageBoxResult;
    static constexpr int kButtons[6][3] = {
        {Ok, Ok, Ok},      {Ok, Cancel, Cancel}, {Abort, Retry, Ignore},
        {Yes, No, Cancel}, {Yes, No, No},        {Retry, Cancel, Cancel},
    };
    const int buttons = style & MessageBoxStyle::ButtonsMask;
    const int which = (style & MessageBoxStyle::DefaultMask) >> 8;
    return kButtons[buttons <= 5 ? buttons : 0][which <= 2 ? which : 0];
}

} // namespace tamsivane
