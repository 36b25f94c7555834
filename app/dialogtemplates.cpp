#include "app/dialogtemplates.h"

#include <algorithm>

namespace {

// Template 102: "宋体" 9 point, 168 x 58 units. 1017 and 1019 are never shown: the progress
// bar is painted on the first, the two shaped buttons are cut from the second.
constexpr DialogItem kMainItems[] = {
    {IDC_SUBFOLDERS, "查找所有子目录(&P)", {14, 26, 81, 10}},
    {IDC_ARTIST_DIRS, "按歌手名建立目录(&G)", {14, 41, 88, 10}},
    {IDC_PROGRESS, "", {5, 5, 122, 7}},
    {IDC_OPTIONS, "", {3, 14, 7, 6}},
    {IDC_LINE, "", {13, 17, 115, 1}},
    {IDC_PICTURE, "", {133, 28, 16, 17}},
    {IDC_BUTTONS, "", {134, 3, 31, 16}},
};

// Template 100: "宋体" 9 point, 235 x 55 units.
constexpr DialogItem kAboutItems[] = {
    {IDC_ABOUT_ICON, "", {11, 17, 20, 20}},
    {IDC_ABOUT_NAME, "sortune 1.0 版", {40, 10, 119, 8}},
    {IDC_ABOUT_NOTICE, "按歌曲标签整理MP3和WMA文件的名称", {40, 25, 188, 8}},
    {IDC_ABOUT_OK, "确定", {178, 7, 50, 14}},
};

constexpr DialogTemplate kMain{"Mp3名称整理", 168, 58, kMainItems};
constexpr DialogTemplate kAbout{"关于 sortune", 235, 55, kAboutItems};

}  // namespace

const DialogItem& DialogTemplate::Item(int id) const {
    return *std::find_if(items.begin(), items.end(),
                         [id](const DialogItem& item) { return item.id == id; });
}

DialogRect DialogTemplate::ItemRect(int id, DialogBaseUnits base) const {
    return MapDialogRect(Item(id).rect, base);
}

DialogRect DialogTemplate::ClientRect(DialogBaseUnits base) const {
    return MapDialogRect({0, 0, cx, cy}, base);
}

const DialogTemplate& MainDialogTemplate() {
    return kMain;
}

const DialogTemplate& AboutDialogTemplate() {
    return kAbout;
}
