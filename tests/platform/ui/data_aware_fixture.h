#pragma once
// A small client dataset behind a data source, shared by the tests of the
// data-aware controls, with the error display and the delete confirmation
// replaced by recorders.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "platform/core/number_text.h"
#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/data_source.h"

class DataAwareTest : public ::testing::Test {
  protected:
    struct Row {
        const char* name;
        int n;
        const char* flag;  // "true", "false" or "" for null
    };

    void SetUp() override {
        oldDecimal_ = FormatSettings.DecimalSeparator;
        FormatSettings.DecimalSeparator = ',';
        oldError_ = Application->SetErrorBoxHandler(
            [this](const QString&, const QString& text) { errors << text; });
        oldQuestion_ =
            Application->SetQuestionHandler([this](const QString& caption, const QString& text) {
                questions << caption + " / " + text;
                return answer;
            });
    }

    void TearDown() override {
        Application->SetErrorBoxHandler(oldError_);
        Application->SetQuestionHandler(oldQuestion_);
        FormatSettings.DecimalSeparator = oldDecimal_;
    }

    // Name (text, 20), N (integer), B (truth value); B shows and takes its
    // value through hooks like the editor's ("1" -> true), counting the calls.
    void MakeTable(const std::vector<Row>& rows) {
        ds.SetName("cds");
        auto def = [&](const char* name, TFieldType type, int size) {
            TFieldDef& d = ds.FieldDefs().AddFieldDef();
            d.SetName(name);
            d.SetDataType(type);
            if (size > 0) d.SetSize(size);
        };
        def("Name", ftString, 20);
        def("N", ftInteger, 0);
        def("B", ftBoolean, 0);
        ds.CreateDataSet();
        for (const Row& r : rows) {
            ds.Append();
            ds.Fields()[0].SetAsString(r.name);
            ds.Fields()[1].SetAsInteger(r.n);
            if (*r.flag) ds.Fields()[2].SetAsBoolean(std::string(r.flag) == "true");
            ds.Post();
        }
        InstallHooks();
        ds.First();
        source.SetDataSet(&ds);
    }

    void InstallHooks() {
        TField& b = ds.Fields()[2];
        b.OnGetText = [](TField& f, AnsiString& text, bool) {
            text = f.IsNull() ? "" : (f.AsBoolean() ? "true" : "false");
        };
        b.OnSetText = [this](TField& f, const AnsiString& text) {
            setTexts.push_back(text);
            if (text == "1" || text == "true")
                f.SetAsBoolean(true);
            else if (text == "0" || text == "false")
                f.SetAsBoolean(false);
            else
                f.Clear();
        };
    }

    // The values of one field over the whole view, from the first record on.
    std::vector<std::string> Values(int field) {
        std::vector<std::string> out;
        for (int i = 0; i < ds.ViewCount(); ++i) out.push_back(ds.ViewDisplayText(i, field));
        return out;
    }

    TClientDataSet ds;  // declared first: outlives the source and the controls
    TDataSource source;
    QStringList errors;
    QStringList questions;
    bool answer = true;
    std::vector<std::string> setTexts;

  private:
    char oldDecimal_ = '.';
    TApplication::MessageHandler oldError_;
    TApplication::QuestionHandler oldQuestion_;
};
