// The console panel's dialog 103 from the program's resources with the real
// Win32 API: every control the console's rules know is there with the kind
// and start state of their view, and the dialog-control seam shows texts,
// states and the lamp bitmaps drawn at build time.
#include "console/PanelControls.h"
#include "platform/Dialog.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

std::string ClassOf(HWND control) {
    char name[32] = "";
    GetClassNameA(control, name, sizeof name);
    return name;
}

bool IsLampControl(HWND control) {
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    return ClassOf(control) == "Static" && (style & SS_TYPEMASK) == SS_BITMAP;
}

struct BitmapLook {
    int width = 0;
    int height = 0;
    std::array<int, 3> centre{}; // red, green, blue
};

BitmapLook Look(HBITMAP bitmap) {
    BitmapLook look;
    BITMAP info{};
    if (bitmap == nullptr || GetObjectA(bitmap, sizeof info, &info) == 0) {
        return look;
    }
    look.width = info.bmWidth;
    look.height = info.bmHeight;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight; // top-down
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    std::array<std::uint32_t, 25 * 25> pixels{};
    HDC screen = GetDC(nullptr);
    if (info.bmWidth == 25 && info.bmHeight == 25 &&
        GetDIBits(screen, bitmap, 0, 25, pixels.data(), &format, DIB_RGB_COLORS) == 25) {
        const std::uint32_t centre = pixels[12 * 25 + 12];
        look.centre = {static_cast<int>((centre >> 16) & 0xFF),
                       static_cast<int>((centre >> 8) & 0xFF), static_cast<int>(centre & 0xFF)};
    }
    ReleaseDC(nullptr, screen);
    return look;
}

HBITMAP ImageOf(HWND control) {
    return reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

constexpr std::array<int, 3> kGreen = {0, 200, 0};
constexpr std::array<int, 3> kGrey = {128, 128, 128};

class PanelDialogWine : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.Create(nullptr)) << GetLastError();
        ASSERT_TRUE(panel.Create(&owner)) << GetLastError();
    }
    void TearDown() override {
        panel.DestroyWindow();
        owner.DestroyWindow();
    }
    HWND Item(int id) { return GetDlgItem(panel.GetSafeHwnd(), id); }

    CDialog owner{IDD_RELVAN_DIALOG};
    CDialog panel{IDD_PCOP_DIALOG};
};

} // namespace

TEST_F(PanelDialogWine, EveryControlHasTheKindAndStartStateOfTheConsolesView) {
    const panel::PanelView start;
    for (int id = panel::kFirstControl; id <= panel::kLastControl; ++id) {
        HWND control = Item(id);
        if (panel::KindOf(id) == panel::ControlKind::kLinkControl) {
            EXPECT_EQ(control, nullptr) << "the link control is made at run time";
            continue;
        }
        ASSERT_NE(control, nullptr) << id;
        switch (panel::KindOf(id)) {
        case panel::ControlKind::kButton:
            EXPECT_EQ(ClassOf(control), "Button") << id;
            EXPECT_EQ(IsWindowEnabled(control) != FALSE, start[id].enabled) << id;
            break;
        case panel::ControlKind::kEdit:
            EXPECT_EQ(ClassOf(control), "Edit") << id;
            EXPECT_EQ(IsWindowEnabled(control) != FALSE, start[id].enabled) << id;
            EXPECT_EQ(GetWindowTextLengthA(control), 0) << id;
            break;
        case panel::ControlKind::kLamp: {
            EXPECT_TRUE(IsLampControl(control)) << id;
            const BitmapLook look = Look(ImageOf(control));
            EXPECT_EQ(look.width, 25) << id;
            EXPECT_EQ(look.centre, kGrey) << id;
            break;
        }
        case panel::ControlKind::kLinkControl:
            break;
        }
    }
}

TEST_F(PanelDialogWine, TheSeamLightsLampsWithBitmapsLoadedOnceAndSetsTextsAndStates) {
    panel.SetItemBitmap(panel::kLampCharge, IDB_LAMP_LIT);
    const HBITMAP lit = ImageOf(Item(panel::kLampCharge));
    const BitmapLook look = Look(lit);
    EXPECT_EQ(look.width, 25);
    EXPECT_EQ(look.height, 25);
    EXPECT_EQ(look.centre, kGreen);
    panel.SetItemBitmap(panel::kLampReadyUp, IDB_LAMP_LIT);
    EXPECT_EQ(ImageOf(Item(panel::kLampReadyUp)), lit);
    panel.SetItemBitmap(panel::kLampCharge, IDB_LAMP_UNLIT);
    EXPECT_EQ(Look(ImageOf(Item(panel::kLampCharge))).centre, kGrey);

    panel.EnableItem(panel::kPowerOff, true);
    panel.EnableItem(panel::kPowerOn, false);
    EXPECT_TRUE(IsWindowEnabled(Item(panel::kPowerOff)));
    EXPECT_FALSE(IsWindowEnabled(Item(panel::kPowerOn)));
    panel.SetItemText(panel::kStatusEdit, "Generator Charge ON OK !!");
    char text[64] = "";
    GetDlgItemTextA(panel.GetSafeHwnd(), panel::kStatusEdit, text, sizeof text);
    EXPECT_STREQ(text, "Generator Charge ON OK !!");
}
