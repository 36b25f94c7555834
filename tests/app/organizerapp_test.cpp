#include "app/organizerapp.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "resources/embeddedresource.h"
#include "tests/support/recordingmessagebox.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::span<const unsigned char> FindNothing(std::string_view) {
    return {};
}

std::span<const unsigned char> FindOnlyGbToBig(std::string_view name) {
    return name == "GBTOBIG" ? resources::FindResource(name) : std::span<const unsigned char>{};
}

// The application says which table failed, in a box each, and goes on.
TEST(OrganizerAppTest, TellsOfEachTableThatCannotBeLoaded) {
    const std::string gbToBig = "fail to load GB2BIG Resource";
    const std::string bigToGb = "fail to load Big2GB Resource";
    struct Case {
        ConversionTables::ResourceFinder find;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {resources::FindResource, {}},
        {FindNothing, {gbToBig, bigToGb}},
        {FindOnlyGbToBig, {bigToGb}},
    };
    for (const Case& c : cases) {
        const RecordingMessageBox boxes;
        char name[] = "sortune";
        char* argv[] = {name, nullptr};
        OrganizerApp app(1, argv);
        app.LoadTables(c.find);
        EXPECT_EQ(boxes.texts, c.messages);
        EXPECT_EQ(app.Tables().GetBigToGbTable() != nullptr, c.messages.size() < 1);
    }
}

}  // namespace
