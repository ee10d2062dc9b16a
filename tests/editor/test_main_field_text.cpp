// Every field of a shown table carries the window's text hooks: after New,
// after Open and after a restructure. The rules themselves are tested without
// a window (tests/editor_logic).
#include "platform/core/exceptions.h"
#include "test_main_support.h"

namespace {

// Text typed into a new record's truth and number cells, as shown afterwards.
// Without the hooks the fields' own conversion refuses both texts.
std::string TypedIntoNewRecord() {
    ActiveTable->Append();
    TField& b = ActiveTable->FieldByName("B");
    TField& f = ActiveTable->FieldByName("F");
    b.SetText("T");
    f.SetText("x");
    const std::string shown = b.DisplayText() + "/" + b.Text() + (f.IsNull() ? " null" : " kept");
    ActiveTable->Cancel();
    return shown;
}

}  // namespace

TEST_F(MainWindowTest, ShownTablesCarryTheTextHooks) {
    NewTable({{"B", "Boolean", ""}, {"F", "Number", ""}});
    EXPECT_EQ(TypedIntoNewRecord(), "true/true null");

    OpenFile("hooks.qmt", TableFile({R"("B","F",)", "true,1.5,", "2);"}));
    EXPECT_EQ(TypedIntoNewRecord(), "true/true null");
    ActiveTable->First();
    EXPECT_EQ(ActiveTable->FieldByName("B").DisplayText(), "true");

    Restructure([] {});
    EXPECT_EQ(ActiveTable, dm1->cdsQMT2);
    EXPECT_EQ(TypedIntoNewRecord(), "true/true null");
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_F(MainWindowTest, TheTextHooksGoWithTheMainWindow) {
    NewTable({{"B", "Boolean", ""}, {"F", "Number", ""}});
    Restructure([] {});  // both tables have carried the hooks
    bool hooked = false;
    for (TClientDataSet* table : {dm1->cdsQMT1, dm1->cdsQMT2})
        for (int i = 0; i < table->Fields().Count(); ++i)
            hooked |= static_cast<bool>(table->Fields()[i].OnGetText);
    ASSERT_TRUE(hooked);

    delete MainForm;  // the data module stays
    ASSERT_EQ(MainForm, nullptr);
    for (TClientDataSet* table : {dm1->cdsQMT1, dm1->cdsQMT2}) {
        for (int i = 0; i < table->Fields().Count(); ++i) {
            TField& field = table->Fields()[i];
            EXPECT_FALSE(field.OnGetText);
            EXPECT_FALSE(field.OnSetText);
            field.DisplayText();  // reaches no window
        }
    }
}

TEST_F(MainWindowTest, TheMainWindowMayGoAfterTheDataModule) {
    NewTable({{"B", "Boolean", ""}});
    delete dm1;  // takes the tables and their hooked fields with it
    EXPECT_EQ(dm1, nullptr);
    delete MainForm;  // finds no data module to clear
    EXPECT_EQ(MainForm, nullptr);
}
