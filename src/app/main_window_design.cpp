#include "app/main_window.h"

namespace sl {

namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kMagenta{255, 0, 255};

using K = ControlKind;

// A fixed single frame is 3 pixels on each side and the title bar 25 above
// the top one, so 537 x 251 outside leaves 531 x 220 for the controls.
const MainWindowDesign kDesign{
    .title = "网页链接获取工具（只能通过网站地图获取）",
    .outerWidth = 537,
    .outerHeight = 251,
    .clientWidth = 531,
    .clientHeight = 220,
    .hyperlinkNormal = {0, 0, 255},
    .hyperlinkHover = {0, 120, 215},
    .hyperlinkVisited = {128, 0, 0},
    .controls = {{
        {ControlId::编辑框_链接,
         "编辑框_链接",
         K::kMultiLineEdit,
         {16, 16, 256, 136},
         "",
         true,
         kBlack,
         0,
         nullptr},
        {ControlId::标签1,
         "标签1",
         K::kLabel,
         {280, 16, 48, 32},
         "网站地图",
         false,
         kBlack,
         0,
         nullptr},
        {ControlId::编辑框_地图,
         "编辑框_地图",
         K::kSingleLineEdit,
         {336, 16, 192, 32},
         "",
         true,
         kBlack,
         0,
         nullptr},
        {ControlId::按钮1,
         "按钮1",
         K::kButton,
         {320, 88, 168, 48},
         "提取并保存",
         true,
         kBlack,
         0,
         nullptr},
        {ControlId::标签2,
         "标签2",
         K::kLabel,
         {16, 160, 72, 24},
         "青禾资源网：",
         false,
         kRed,
         0,
         nullptr},
        {ControlId::超级链接框1,
         "超级链接框1",
         K::kHyperlink,
         {88, 160, 184, 24},
         "",
         false,
         kBlack,
         0,
         "https://www.sitemaps.org/"},
        {ControlId::标签3,
         "标签3",
         K::kLabel,
         {272, 160, 72, 24},
         "青禾互联：",
         false,
         kRed,
         0,
         nullptr},
        {ControlId::超级链接框2,
         "超级链接框2",
         K::kHyperlink,
         {352, 160, 176, 24},
         "",
         false,
         kBlack,
         0,
         "https://www.robotstxt.org/"},
        {ControlId::标签4, "标签4", K::kLabel, {16, 192, 496, 24}, "", false, kMagenta, 0, nullptr},
    }},
};

}  // namespace

const MainWindowDesign& TheMainWindowDesign() { return kDesign; }

}  // namespace sl
