// Writing the shown table to its file, without a window.
#include <gtest/gtest.h>

#include "editor/file_commands.h"
#include "tests/support/dataset_helpers.h"

namespace {

const std::string kWritten =
    "/* Quimbly Table Format 0.9 */\r\n"
    "quiTables[quiTables.length] = new Array(\r\n"
    "\"Name\",\"Qty\",\r\n"
    "\"fig\",-1,\r\n"
    "\"pear\",3,\r\n"
    "2);\r\n";

}  // namespace

TEST(WriteTableFileTest, WritesInTheShownOrderWhileTheControlsKeepStill) {
    ScratchDir dir;
    auto ds = MakeDataSet({{"Name", ftString}, {"Qty", ftFloat}});
    AppendRows(*ds, {{"pear", "3"}, {"fig", "-1"}});
    ds->AddIndex("QtyIndex", "Qty", {});
    ds->SetIndexName("QtyIndex");
    std::vector<TDataEvent> events;
    const TSubscription sub = ds->AddListener([&](TDataEvent e) { events.push_back(e); });

    ASSERT_TRUE(WriteTableFile(dir.File("t.qmt"), *ds));
    EXPECT_EQ(ReadBytes(dir.File("t.qmt")), kWritten);
    EXPECT_TRUE(ds->Active());
    EXPECT_EQ(ds->IndexName(), "QtyIndex");
    // The walk over the records reaches the controls as one change at the end.
    EXPECT_EQ(events, std::vector<TDataEvent>{TDataEvent::DataSetChange});
    EXPECT_FALSE(ds->ControlsDisabled());
}

TEST(WriteTableFileTest, AFileThatCannotBeWrittenIsLeftAsItWas) {
    ScratchDir dir;
    auto ds = MakeDataSet({{"Name", ftString}});
    AppendRows(*ds, {{"a"}});
    // A folder in the file's place, and a file in a folder that does not exist.
    std::filesystem::create_directory(dir.File("folder.qmt"));
    EXPECT_FALSE(WriteTableFile(dir.File("folder.qmt"), *ds));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.qmt")));
    EXPECT_FALSE(WriteTableFile(dir.File("missing/t.qmt"), *ds));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"folder.qmt"});
    EXPECT_FALSE(ds->ControlsDisabled());
}
