// What the generator was last told, read from the link's method calls alone,
// and how it compares with what the panel shows and the host's kind-112
// report says. The codes of a ready are read back into step texts through
// the data set's step tables (a Codebook), never through the console.
#pragma once

#include "console/ConsoleIds.h"
#include "console/DataTables.h"
#include "console/PanelControls.h"
#include "console/sim/RecordingLink.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace invariants {

struct Shown;

// The data set as the monitor reads it: the texts each code of the step
// tables stands for, the tables, and the over tables of each power model by
// the text the panel shows for it.
struct Codebook {
    using Texts = std::map<std::string, std::set<std::string>>;
    Texts kv, ma, sec, mas;
    StepTable maTable, secTable, masTable;
    std::map<std::string, std::array<OverGrid, 2>> over; // sec, mAs

    void SetTables(const StepTable& kvSteps, const StepTable& maSteps, const StepTable& secSteps,
                   const StepTable& masSteps) {
        kv = Of(kvSteps);
        ma = Of(maSteps);
        sec = Of(secSteps);
        mas = Of(masSteps);
        maTable = maSteps;
        secTable = secSteps;
        masTable = masSteps;
    }

    // Whether the exposure shown (112's steps, the model edit, the mode
    // lamps) is OVER by the over tables: 1 OVER, 0 allowed, -1 not judged.
    inline int JudgeOver(const Shown& shown) const;

private:
    static Texts Of(const StepTable& table) {
        Texts texts;
        for (const StepRow& row : table.rows) {
            texts[row[kCodeColumn]].insert(row[kDisplayColumn]);
        }
        return texts;
    }
};

// The panel and the kind-112 report at one moment.
struct Shown {
    const panel::PanelView* view = nullptr;
    // kind 112: kV;mA;mAs;sec;large focus;mode;field 1;field 2;field 3;density;
    std::vector<std::string> report;

    static std::vector<std::string> Split(const std::string& text) {
        std::vector<std::string> fields;
        std::string field;
        for (char c : text) {
            if (c == ';') {
                fields.push_back(field);
                field.clear();
            } else {
                field += c;
            }
        }
        return fields;
    }
};

int Codebook::JudgeOver(const Shown& shown) const {
    const panel::PanelView& view = *shown.view;
    const auto grids = over.find(view[panel::kModelEdit].text);
    const bool secLit = view[panel::kLampSec].lit;
    const bool masLit = view[panel::kLampMas].lit;
    if (grids == over.end() || secLit == masLit || shown.report.size() < 4) {
        return -1;
    }
    auto row = [](const StepTable& table, const std::string& text) {
        for (std::size_t i = 0; i < table.rows.size(); ++i) {
            if (table.rows[i][kDisplayColumn] == text) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    const int maRow = row(maTable, shown.report[1]);
    const int timeRow = masLit ? row(masTable, shown.report[2]) : row(secTable, shown.report[3]);
    if (maRow < 0 || timeRow < 0 || maRow >= kOverColumns || timeRow >= kOverLines) {
        return 1;
    }
    const int highestKv = grids->second[masLit ? 1 : 0][static_cast<std::size_t>(maRow)]
                                       [static_cast<std::size_t>(timeRow)];
    return highestKv == kOverNotAllowed || highestKv < std::atoi(shown.report[0].c_str()) ? 1 : 0;
}

struct GeneratorShadow {
    // -1: not told since the generator was last powered off.
    int focus = -1;     // 0 small (8), 1 large (7)
    int scale = -1;     // 0 low (9), 1 high (10)
    int receptor = -1;  // 0 AUX (21), 1 BUCKY1 (19), 2 BUCKY2 (20)
    int aec = -1;       // 0 off (5), 1 on (6)
    int fieldCode = -1; // method 48
    // Told with the ready, forgotten when its lines let go.
    int rotor = -1; // 0 low (15), 1 high (14)
    int mode = -1;  // 0 time (27), 1 mAs (26)
    std::string kv, ma, time, mas;

    void ForgetReady() {
        rotor = -1;
        mode = -1;
        kv.clear();
        ma.clear();
        time.clear();
        mas.clear();
    }

    void Note(const sim::LinkCall& call) {
        const std::string first = call.args.empty() ? std::string() : call.args[0];
        switch (call.dispatchId) {
        case kMethodPowerOff:
            *this = GeneratorShadow();
            break;
        case kMethodLargeFocus:
        case kMethodSmallFocus:
            focus = call.dispatchId == kMethodLargeFocus ? 1 : 0;
            break;
        case kMethodLowScale:
        case kMethodHighScale:
            scale = call.dispatchId == kMethodHighScale ? 1 : 0;
            break;
        case kMethodAux:
        case kMethodBucky1:
        case kMethodBucky2:
            receptor = call.dispatchId == kMethodAux ? 0 : call.dispatchId == kMethodBucky1 ? 1 : 2;
            break;
        case kMethodAecOff:
        case kMethodAecOn:
            aec = call.dispatchId == kMethodAecOn ? 1 : 0;
            break;
        case kMethodAecField:
            fieldCode = call.args.size() > 1 ? std::stoi("0" + call.args[1], nullptr, 16) : -1;
            break;
        case kMethodRotorHigh:
        case kMethodRotorLow:
            rotor = call.dispatchId == kMethodRotorHigh ? 1 : 0;
            break;
        case kMethodMasMode:
        case kMethodTimeMode:
            mode = call.dispatchId == kMethodMasMode ? 1 : 0;
            break;
        case kMethodKv:
            kv = first;
            break;
        case kMethodMa:
            ma = first;
            break;
        case kMethodTime:
            time = first;
            break;
        case kMethodMas:
            mas = first;
            break;
        default:
            break;
        }
    }

    // Where the panel or the report disagrees with what the generator was
    // told: the options, and with `codes` the exposure the ready sent.
    std::vector<std::string> Disagreements(const Shown& shown, const Codebook& book, bool options,
                                           bool codes) const {
        std::vector<std::string> found;
        const panel::PanelView& view = *shown.view;
        auto field = [&shown](std::size_t i) {
            return i < shown.report.size() ? shown.report[i] : std::string("?");
        };
        // A group of lamps all out shows nothing (the rotor's before the
        // charge completes).
        auto lamps = [&](const char* what, int told, std::initializer_list<int> ids) {
            const bool any =
                std::any_of(ids.begin(), ids.end(), [&](int id) { return view[id].lit; });
            if (!any && ids.size() > 1) {
                return;
            }
            int i = 0;
            for (int id : ids) {
                if (told >= 0 && view[id].lit != (told == i)) {
                    found.push_back(std::string(what) + " told " + std::to_string(told) +
                                    ", lamp " + std::to_string(id) +
                                    (view[id].lit ? " lit" : " out"));
                }
                ++i;
            }
        };
        if (options) {
            lamps("focus", focus, {panel::kLampSmallFocus, panel::kLampLargeFocus});
            if (focus >= 0 && field(4) != std::to_string(focus)) {
                found.push_back("focus told " + std::to_string(focus) + ", 112 says " + field(4));
            }
            lamps("scale", scale, {panel::kLampLowScale, panel::kLampHighScale});
            lamps("receptor", receptor, {panel::kLampAux, panel::kLampBucky1, panel::kLampBucky2});
            lamps("rotor", rotor, {panel::kLampRotorLow, panel::kLampRotorHigh});
            if (aec >= 0 &&
                (view[panel::kLampAec].lit != (aec == 1) || (field(5) == "2") != (aec == 1))) {
                found.push_back("AEC told " + std::to_string(aec) + ", lamp " +
                                (view[panel::kLampAec].lit ? "lit" : "out") + ", 112 mode " +
                                field(5));
            }
            if (aec == 1 && fieldCode >= 0) {
                // Codes 1 to 3 one field, 4 to 6 two, 7 all three.
                static const int kBits[] = {0, 1, 2, 4, 3, 5, 6, 7};
                const int bits = fieldCode < 8 ? kBits[fieldCode] : 0;
                const int ids[] = {panel::kLampField1, panel::kLampField2, panel::kLampField3};
                for (int i = 0; i < 3; ++i) {
                    const bool on = (bits >> i & 1) != 0;
                    if (view[ids[i]].lit != on || field(6 + i) != (on ? "1" : "0")) {
                        found.push_back("field code " + std::to_string(fieldCode) +
                                        " told, field " + std::to_string(i + 1) + " shown " +
                                        (view[ids[i]].lit ? "on" : "off") + ", 112 " +
                                        field(6 + i));
                    }
                }
            }
            if (mode >= 0 && aec != 1 && field(5) != std::to_string(mode)) {
                found.push_back("mode told " + std::to_string(mode) + ", 112 mode " + field(5));
            }
        }
        if (codes) {
            const bool secLit = view[panel::kLampSec].lit;
            const bool masLit = view[panel::kLampMas].lit;
            Compare(found, "kV", book.kv, kv, {view[panel::kKvEdit].text, field(0)});
            Compare(found, "mA", book.ma, ma, {view[panel::kMaEdit].text, field(1)});
            Compare(found, "sec", book.sec, time,
                    secLit && !masLit
                        ? std::vector<std::string>{view[panel::kTimeEdit].text, field(3)}
                        : std::vector<std::string>{field(3)});
            Compare(found, "mAs", book.mas, mas,
                    masLit && !secLit
                        ? std::vector<std::string>{view[panel::kTimeEdit].text, field(2)}
                        : std::vector<std::string>{field(2)});
        }
        return found;
    }

    std::size_t Hash() const {
        std::size_t hash = 0;
        for (int value : {focus, scale, receptor, aec, fieldCode, rotor, mode}) {
            hash = hash * 31 + static_cast<std::size_t>(value + 1);
        }
        for (const std::string* text : {&kv, &ma, &time, &mas}) {
            hash = hash * 1000003 ^ std::hash<std::string>()(*text);
        }
        return hash;
    }

private:
    // The code sent (when one was) stands for each text shown.
    static void Compare(std::vector<std::string>& found, const char* what,
                        const Codebook::Texts& book, const std::string& code,
                        const std::vector<std::string>& shown) {
        if (code.empty()) {
            return;
        }
        const auto texts = book.find(code);
        for (const std::string& text : shown) {
            // An empty edit shows nothing (before the charge completes).
            if (!text.empty() && (texts == book.end() || texts->second.count(text) == 0)) {
                found.push_back(std::string(what) + " code " + code + " sent, \"" + text +
                                "\" shown");
            }
        }
    }
};

} // namespace invariants
