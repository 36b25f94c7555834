#include "resources/appicons.h"

#include <gtest/gtest.h>

namespace {

// The colours of the 16-colour palette the icons are drawn in.
bool InSixteenColours(QRgb pixel) {
    const auto level = [](int channel) { return channel == 0 || channel == 128 || channel == 255; };
    const bool silver = qRed(pixel) == 192 && qGreen(pixel) == 192 && qBlue(pixel) == 192;
    return silver || (level(qRed(pixel)) && level(qGreen(pixel)) && level(qBlue(pixel)));
}

TEST(AppIcons, TheApplicationIconHasBothSizesInSixteenColours) {
    for (const int size : {16, 32}) {
        const QImage picture = resources::LoadAppIconImage(128, size);
        ASSERT_EQ(picture.size(), QSize(size, size));
        int transparent = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = picture.pixel(x, y);
                if (qAlpha(pixel) == 0) {
                    ++transparent;
                } else {
                    EXPECT_EQ(qAlpha(pixel), 255);
                    EXPECT_TRUE(InSixteenColours(pixel)) << x << "," << y;
                }
            }
        }
        // The page leaves its folded corner and some border transparent.
        EXPECT_GT(transparent, size * 2);
        EXPECT_LT(transparent, size * size / 2);
    }
    const QIcon icon = resources::LoadAppIcon(128);
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
}

TEST(AppIcons, AnUnknownIconOrSizeIsNull) {
    EXPECT_TRUE(resources::LoadAppIcon(999).isNull());
    EXPECT_TRUE(resources::LoadAppIconImage(999, 32).isNull());
    EXPECT_TRUE(resources::LoadAppIconImage(128, 48).isNull());
}

}  // namespace
