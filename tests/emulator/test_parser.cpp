// The parser on its own: tests/emulator/grammar/*.vtp files hold cases of
// host bytes and the units the parser reports for them, one per line.
//
//   === title               starts a case (fresh parser)
//   option c1-graphic       the handler takes 0x80-0x9F as graphic
//   option transfer-start   the handler lets CAN start looking for "B00"
//   in <notation>           host bytes (user-string notation, as in the
//                           emulator cases); several `in` lines concatenate
//
// Every other line is a unit expected in this order:
//
//   print "text"            graphic bytes (adjacent runs joined)
//   exec NAME               a control by its name
//   esc [I] F               escape sequence: intermediates in brackets (left
//                           out when none), final
//   csi [I] P F             control sequence: markers and intermediates, the
//                           parameters ("_" for an empty one, ":" before a
//                           sub-parameter), final
//   dcs [I] P F "data"      completed device-control string
//   printer "bytes"         printer-controller data (adjacent runs joined)
//   printer end
//   transfer                CAN "B00" recognised
//
// Texts are in the notation, quoted.  Each case runs three ways, the block
// path whole and in pieces of two bytes, and byte by byte; all must report
// the expected units.  Like the emulator, the recording handler starts the
// printer controller on CSI 5 i.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CaseFiles.h"
#include "emulator/ControlNames.h"
#include "emulator/VtParser.h"

namespace tamsivane {
namespace {

using namespace casefile;

class Recorder {
public:
    bool c1Graphic = false;
    bool transferStart = false;
    VtParser<Recorder>* parser = nullptr;
    std::vector<std::string> units;

    void Print(const uint8_t* bytes, size_t length) {
        Join("print", std::string_view(reinterpret_cast<const char*>(bytes), length));
    }
    void Execute(uint8_t control) { Add(std::string("exec ") + ControlName(control)); }
    void Escape(const SequenceCollector& s, uint8_t final) {
        Add("esc" + Intermediates(s) + " " + Byte(final));
    }
    void ControlSequence(const SequenceCollector& s, uint8_t final) {
        Add("csi" + Intermediates(s) + Parameters(s) + " " + Byte(final));
        if (final == 'i' && !s.Has('?') && s.Parameter(0, 0) == 5) parser->StartPrinterController();
    }
    void DeviceControlString(const SequenceCollector& s, uint8_t final, std::string_view data) {
        Add("dcs" + Intermediates(s) + Parameters(s) + " " + Byte(final) + " " + Quoted(data));
    }
    void PrinterData(std::string_view bytes) { Join("printer", bytes); }
    void PrinterControllerEnded() { Add("printer end"); }
    void TransferStart() { Add("transfer"); }
    bool C1IsGraphic() const { return c1Graphic; }
    bool DetectsTransferStart() const { return transferStart; }

private:
    static std::string Byte(uint8_t byte) {
        return EncodeNotation(std::string(1, static_cast<char>(byte)));
    }
    static std::string Quoted(std::string_view text) { return "\"" + EncodeNotation(text) + "\""; }
    static std::string Intermediates(const SequenceCollector& s) {
        if (!s.AnyIntermediate()) return {};
        return " [" +
               std::string(reinterpret_cast<const char*>(s.Intermediates()),
                           s.IntermediateCount()) +
               "]";
    }
    static std::string Parameters(const SequenceCollector& s) {
        if (s.Count() == 0) return {};
        std::string text = " ";
        for (int i = 0; i < s.Count(); ++i) {
            if (i > 0) text += s.IsSubParameter(i) ? ':' : ';';
            text += s.Omitted(i) ? "_" : std::to_string(s.Parameter(i, 0));
        }
        return text;
    }
    void Add(std::string unit) {
        units.push_back(std::move(unit));
        joinable_.clear();
    }
    // Runs of text and printer data split wherever a block or a vector
    // ends; the reports of one run are joined.
    void Join(const std::string& kind, std::string_view bytes) {
        if (joinable_ == kind) {
            joined_ += bytes;
            units.back() = kind + " " + Quoted(joined_);
            return;
        }
        Add(kind + " " + Quoted(bytes));
        joinable_ = kind;
        joined_ = std::string(bytes);
    }
    std::string joinable_;
    std::string joined_;
};

enum class Way { Whole, Pairs, ByteWise };

std::vector<std::string> Report(const Case& c, const std::string& bytes, Way way) {
    Recorder recorder;
    VtParser<Recorder> parser(recorder);
    recorder.parser = &parser;
    for (const Directive& d : c.directives) {
        if (d.keyword == "option" && d.argument == "c1-graphic") recorder.c1Graphic = true;
        if (d.keyword == "option" && d.argument == "transfer-start") recorder.transferStart = true;
    }
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const size_t piece = way == Way::Whole ? bytes.size() : 2;
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const size_t length = std::min(piece, bytes.size() - at);
        if (way == Way::ByteWise) {
            for (size_t i = 0; i < length; ++i) parser.Feed(data[at + i]);
        } else {
            EXPECT_EQ(parser.Parse(data + at, length), length);
        }
    }
    return recorder.units;
}

std::string Listing(const std::vector<std::string>& units) {
    std::string text;
    for (const std::string& unit : units) text += "\n  " + unit;
    return text.empty() ? "\n  (nothing)" : text;
}

class ParserCase : public ::testing::TestWithParam<Case> {};

TEST_P(ParserCase, ReportsTheUnits) {
    const Case& c = GetParam();
    if (c.errorLine != 0) {
        ADD_FAILURE_AT(c.file.c_str(), c.errorLine) << "malformed case file: " << c.error;
        return;
    }
    std::string bytes;
    std::vector<std::string> expected;
    for (const Directive& d : c.directives) {
        if (d.keyword == "in") {
            std::string decoded;
            if (!DecodeNotation(d.argument, decoded))
                ADD_FAILURE_AT(c.file.c_str(), d.line) << "bad notation";
            bytes += decoded;
        } else if (d.keyword == "option") {
            if (d.argument != "c1-graphic" && d.argument != "transfer-start")
                ADD_FAILURE_AT(c.file.c_str(), d.line) << "unknown option " << d.argument;
        } else {
            expected.push_back(TrimRight(d.keyword + " " + d.argument));
        }
    }
    for (const auto& [way, name] :
         {std::pair{Way::Whole, "whole block"}, std::pair{Way::Pairs, "pairs of bytes"},
          std::pair{Way::ByteWise, "byte by byte"}}) {
        const std::vector<std::string> actual = Report(c, bytes, way);
        if (actual != expected) {
            ADD_FAILURE_AT(c.file.c_str(), c.line)
                << "[" << c.title << "] fed as " << name << "\nexpected:" << Listing(expected)
                << "\nactual:" << Listing(actual);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Grammar, ParserCase, ::testing::ValuesIn(LoadCases("grammar", ".vtp")),
                         TestName);

} // namespace
} // namespace tamsivane
