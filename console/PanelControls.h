// The controls of the console panel (dialog 103) as the console's rules see
// them: their ids, the kind of each, and the view the rules keep of them
// (enabled, text, lamp lit). The panel window copies the view to its controls
// after every event; nothing else decides what the controls show.
#pragma once

#include <array>
#include <string>

namespace panel {

enum ControlId : int {
    kKvEdit = 1001,
    kMaEdit = 1002,
    kTimeEdit = 1003, // sec or mAs
    kModelEdit = 1004,
    kKvUp = 1005,
    kKvDown = 1006,
    kMaUp = 1007,
    kMaDown = 1008,
    kTimeUp = 1009,
    kTimeDown = 1010,
    kPreheatEdit = 1011,
    kPreheatUp = 1012,
    kChange = 1013,
    kPreheatDown = 1014,
    kPreheatSave = 1015,
    kPowerOn = 1016,
    kPowerOff = 1017,
    kExit = 1018,
    kKvShiftEdit = 1019,
    kLampCharge = 1020,
    kLampReadyUp = 1021,
    kLampXrayStart = 1022,
    kLampXrayEnd = 1023,
    kLampError = 1024,
    kLampCheck = 1025,
    kLampStanding = 1026,
    kLampPortOpen = 1027,
    kLampHandReady = 1028,
    kLampHandExposure = 1029,
    kLampSec = 1030,
    kLampMas = 1031,
    kMaShiftEdit = 1032,
    kKvRefEdit = 1033,
    kMaRefEdit = 1034,
    kKvShiftUp = 1035,
    kKvShiftDown = 1036,
    kMaShiftUp = 1037,
    kMaShiftDown = 1038,
    kStatusEdit = 1039,
    kReady = 1040,
    kReadyCancel = 1041,
    kExposure = 1042,
    kKvShiftSave = 1043,
    kExposureCancel = 1044,
    kKvTrans1 = 1045,
    kMaShiftSave = 1046,
    kKvTrans2 = 1047,
    kKvTrans3 = 1048,
    kMaTrans1 = 1049,
    kMaTrans2 = 1050,
    kMaTrans3 = 1051,
    kSecTrans = 1052,
    kMasTrans1 = 1053,
    kMasTrans2 = 1054,
    kAux = 1055,
    kBucky1 = 1056,
    kBucky2 = 1057,
    kLampField1 = 1058,
    kLampField2 = 1059,
    kLampField3 = 1060,
    kAec = 1061,
    kLampAux = 1062,
    kLampBucky1 = 1063,
    kLampBucky2 = 1064,
    kField1 = 1065,
    kField2 = 1066,
    kField3 = 1067,
    kModel20kW = 1068,
    kDensityUp = 1069,
    kDensityDown = 1070,
    kDensityEdit = 1071,
    kRotorLow = 1072,
    kRotorHigh = 1073,
    kLampRotorLow = 1074,
    kLampRotorHigh = 1075,
    kLinkControl = 1076,
    kModel32kW = 1077,
    kModel40kW = 1078,
    kModel50kW = 1079,
    kLampOver = 1080,
    kLampLargeFocus = 1081,
    kLampSmallFocus = 1082,
    kLampLowScale = 1083,
    kLampHighScale = 1084,
    kLampAec = 1085,
    kSmallFocusEdit = 1086,
    kLargeFocusEdit = 1087,
    kSmallFocusDown = 1088,
    kSmallFocusSave = 1089,
    kLargeFocusDown = 1090,
    kLargeFocusSave = 1091,
    kSmallFocusUp = 1092,
    kLargeFocusUp = 1093,
};

// The ids run without a gap from the first to the last.
constexpr int kFirstControl = kKvEdit;
constexpr int kLastControl = kLargeFocusUp;
constexpr int kControlCount = kLastControl - kFirstControl + 1;

enum class ControlKind { kButton, kEdit, kLamp, kLinkControl };

// The kind of control `id` (which must lie in kFirstControl..kLastControl).
ControlKind KindOf(int id);

// What one control shows. Buttons use `enabled`, edit boxes `enabled` and
// `text`, lamps `lit` (the lit or the unlit bitmap).
struct ControlView {
    bool enabled = false;
    bool lit = false;
    std::string text;
};

bool operator==(const ControlView& a, const ControlView& b);
inline bool operator!=(const ControlView& a, const ControlView& b) {
    return !(a == b);
}

// Every control of the panel, indexed by id - kFirstControl.
class PanelView {
public:
    // The panel as the template shows it: only the power on, EXIT and model
    // buttons and the model and status edits enabled, every text empty,
    // every lamp unlit.
    PanelView();

    ControlView& operator[](int id) {
        return m_controls.at(static_cast<std::size_t>(id - kFirstControl));
    }
    const ControlView& operator[](int id) const {
        return m_controls.at(static_cast<std::size_t>(id - kFirstControl));
    }
    const std::array<ControlView, kControlCount>& Controls() const { return m_controls; }

private:
    std::array<ControlView, kControlCount> m_controls;
};

bool operator==(const PanelView& a, const PanelView& b);
inline bool operator!=(const PanelView& a, const PanelView& b) {
    return !(a == b);
}

} // namespace panel
