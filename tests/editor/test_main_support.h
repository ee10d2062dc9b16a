#pragma once
// A started editor for the main window's tests: the windows created and the
// English texts set as at start-up, message boxes and file dialogs answered
// by the test, the decimal mark set explicitly.

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <string>

#include "editor/Main.h"
#include "editor/data_module.h"
#include "editor/edit_table.h"
#include "editor/new_table.h"
#include "editor/startup.h"
#include "platform/core/number_text.h"
#include "platform/dataset/client_dataset.h"
#include "platform/ui/application.h"
#include "platform/ui/combo_box.h"
#include "platform/ui/data_source.h"
#include "platform/ui/db_grid.h"
#include "platform/ui/db_navigator.h"
#include "platform/ui/speed_button.h"

class MainWindowTest : public ::testing::Test {
  public:
    // Lines joined with CR LF, each line ended by it.
    static std::string Lines(std::initializer_list<const char*> lines) {
        std::string s;
        for (const char* l : lines) s += std::string(l) + "\r\n";
        return s;
    }
    // A table file: the two opening lines, then body.
    static std::string TableFile(std::initializer_list<const char*> body) {
        return Lines(
                   {"/* Quimbly Table Format 0.9 */", "quiTables[quiTables.length] = new Array("}) +
               Lines(body);
    }

  protected:
    void SetUp() override {
        oldMark_ = FormatSettings.DecimalSeparator;
        FormatSettings.DecimalSeparator = ',';
        Application->SetTitle("QMT Editor");
        oldMessage_ =
            Application->SetMessageBoxHandler([this](const QString& caption, const QString& text) {
                messages.append(caption + ": " + text);
            });
        oldError_ =
            Application->SetErrorBoxHandler([this](const QString& caption, const QString& text) {
                errors.append(caption + ": " + text);
            });
        oldQuestion_ = Application->SetQuestionHandler([this](const QString&, const QString& text) {
            questions.append(text);
            return answerYes;
        });
        CreateForms();
        SetEnglishTexts();
        MainForm->OpenDialogExecute = [this](QString& name) { return Answer(openAnswers, name); };
        MainForm->SaveDialogExecute = [this](QString& name) {
            proposed.append(name);
            return Answer(saveAnswers, name);
        };
    }

    void TearDown() override {
        DestroyForms();
        Application->SetMessageBoxHandler(oldMessage_);
        Application->SetErrorBoxHandler(oldError_);
        Application->SetQuestionHandler(oldQuestion_);
        FormatSettings.DecimalSeparator = oldMark_;
    }

    QString PathOf(const QString& name) const { return dir.filePath(name); }

    void WriteFile(const QString& name, const std::string& bytes) {
        QFile f(PathOf(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
    std::string ReadFile(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return "<missing>";
        return f.readAll().toStdString();
    }

    // Runs command while the modal dialog it shows is answered: fill runs
    // inside the dialog, then the dialog closes with result (1 = OK).
    void WithDialog(QDialog* dialog, const std::function<void()>& fill, int result,
                    const std::function<void()>& command) {
        QTimer::singleShot(0, dialog, [dialog, fill, result] {
            if (fill) fill();
            dialog->done(result);
        });
        command();
    }
    // Sets the rows below the headings of a table dialog's grid.
    static void SetRows(TStringGrid& g, const std::vector<std::vector<std::string>>& rows) {
        g.SetRowCount(static_cast<int>(rows.size()) + 1);
        for (size_t r = 0; r < rows.size(); ++r)
            for (size_t c = 0; c < rows[r].size(); ++c)
                g.SetCells(static_cast<int>(c), static_cast<int>(r) + 1, rows[r][c]);
    }
    // New with the given rows (name, kind, length).
    void NewTable(const std::vector<std::vector<std::string>>& rows) {
        WithDialog(
            fmNewTable, [&] { SetRows(fmNewTable->sgFields->Grid(), rows); }, 1,
            [] { MainForm->FileNew(); });
    }
    void Open(const QString& path) {
        openAnswers = {path};
        MainForm->FileOpenItem->trigger();
    }
    // Picks entry i of the sort box as the user does.
    void PickSort(int i) {
        MainForm->cbSort->SetItemIndex(i);
        MainForm->cbSortChange();
    }
    QStringList SortItems() const {
        QStringList items;
        for (int i = 0; i < MainForm->cbSort->ItemCount(); ++i) items << MainForm->cbSort->Item(i);
        return items;
    }
    // The values of one column in view order, through the grid's text hooks.
    static QStringList Column(const char* name) {
        QStringList values;
        TField& f = ActiveTable->FieldByName(name);
        for (ActiveTable->First(); !ActiveTable->Eof(); ActiveTable->Next())
            values << QString::fromStdString(f.DisplayText());
        return values;
    }
    // Whether the commands that act on a table are switched on, all of them alike.
    static std::string TableCommands() {
        TMainForm& m = *MainForm;
        const bool states[] = {m.sbSave->isEnabled(),      m.FileSaveItem->isEnabled(),
                               m.sbSaveAs->isEnabled(),    m.FileSaveAsItem->isEnabled(),
                               m.sbEditTable->isEnabled(), m.TabStructureItem->isEnabled(),
                               m.cbSort->isEnabled(),      m.sbDirAsc->isEnabled(),
                               m.sbDirDesc->isEnabled()};
        std::string s;
        for (bool b : states) s += b ? '1' : '0';
        return s;
    }

    QTemporaryDir dir;
    QStringList messages, errors, questions, proposed;
    QStringList openAnswers, saveAnswers;  // one answer per dialog run; "" = cancelled
    bool answerYes = true;

  private:
    static bool Answer(QStringList& answers, QString& name) {
        if (answers.isEmpty() || answers.first().isEmpty()) {
            if (!answers.isEmpty()) answers.removeFirst();
            return false;
        }
        name = answers.takeFirst();
        return true;
    }
    char oldMark_ = '.';
    TApplication::MessageHandler oldMessage_, oldError_;
    TApplication::QuestionHandler oldQuestion_;
};
