#include "platform/com.h"

#include <gtest/gtest.h>

namespace {

constexpr CLSID kClass = {
    0x5E1A7C20, 0x3B94, 0x4D2F, {0x8C, 0x61, 0x0A, 0x9B, 0x7D, 0x3E, 0x4F, 0x12}};

TEST(ComTest, ClassIdTextsGoBothWays) {
    LPOLESTR wide = nullptr;
    ASSERT_EQ(StringFromIID(kClass, &wide), S_OK);
    EXPECT_EQ(std::u16string(wide), u"{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}");
    IMalloc* malloc = nullptr;
    ASSERT_EQ(CoGetMalloc(1, &malloc), S_OK);
    malloc->Free(wide);
    malloc->Release();
    EXPECT_EQ(CoGetMalloc(0, &malloc), E_INVALIDARG);

    const std::vector<std::pair<const char*, HRESULT>> cases = {
        {"{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}", S_OK},
        {"{5e1a7c20-3b94-4d2f-8c61-0a9b7d3e4f12}", S_OK},
        {"5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12", CO_E_CLASSSTRING},
        {"{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F1}", CO_E_CLASSSTRING},
        {"{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F1G}", CO_E_CLASSSTRING},
        {"{5E1A7C20+3B94-4D2F-8C61-0A9B7D3E4F12}", CO_E_CLASSSTRING},
        {"{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}x", CO_E_CLASSSTRING},
        {"", CO_E_CLASSSTRING},
    };
    for (const auto& [text, result] : cases) {
        CLSID parsed{};
        EXPECT_EQ(CLSIDFromString(text, &parsed), result) << text;
        if (result == S_OK) {
            EXPECT_EQ(parsed, kClass) << text;
            EXPECT_EQ(GuidText(parsed), "{5E1A7C20-3B94-4D2F-8C61-0A9B7D3E4F12}");
        }
    }
}

TEST(ComTest, ResultCodesCarryTheirParts) {
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(FAILED(SELFREG_E_CLASS));
    EXPECT_EQ(HRESULT_CODE(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3)), 3u);
    EXPECT_TRUE(SUCCEEDED(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 3)));
    EXPECT_TRUE(FAILED(MAKE_HRESULT(1, 4, 0x201)));
    EXPECT_EQ(MAKE_HRESULT(1, 4, 0x201), SELFREG_E_CLASS);
}

}  // namespace
