#include "console/PanelControls.h"

#include <algorithm>
#include <initializer_list>

namespace panel {

namespace {

bool IsOneOf(int id, std::initializer_list<int> ids) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

bool IsLamp(int id) {
    return (id >= kLampCharge && id <= kLampHandExposure) || id == kLampSec || id == kLampMas ||
           (id >= kLampField1 && id <= kLampField3) || (id >= kLampAux && id <= kLampBucky2) ||
           id == kLampRotorLow || id == kLampRotorHigh || (id >= kLampOver && id <= kLampAec);
}

bool IsEdit(int id) {
    return (id >= kKvEdit && id <= kModelEdit) ||
           (id >= kKvTrans1 && id <= kMasTrans2 && id != kMaShiftSave) ||
           IsOneOf(id, {kPreheatEdit, kKvShiftEdit, kMaShiftEdit, kKvRefEdit, kMaRefEdit,
                        kStatusEdit, kDensityEdit, kSmallFocusEdit, kLargeFocusEdit});
}

} // namespace

ControlKind KindOf(int id) {
    if (id == kLinkControl) {
        return ControlKind::kLinkControl;
    }
    if (IsLamp(id)) {
        return ControlKind::kLamp;
    }
    return IsEdit(id) ? ControlKind::kEdit : ControlKind::kButton;
}

bool operator==(const ControlView& a, const ControlView& b) {
    return a.enabled == b.enabled && a.lit == b.lit && a.text == b.text;
}

PanelView::PanelView() {
    for (int id : {kPowerOn, kExit, kModel20kW, kModel32kW, kModel40kW, kModel50kW, kModelEdit,
                   kStatusEdit}) {
        (*this)[id].enabled = true;
    }
}

bool operator==(const PanelView& a, const PanelView& b) {
    return a.Controls() == b.Controls();
}

} // namespace panel
