#pragma once
// The main window and the global state of the editor that the other windows share.

#include <QString>

class TClientDataSet;
class TMainForm;

// The dataset now shown (cdsQMT1 or cdsQMT2 of dm1); nullptr before the first table.
extern TClientDataSet* ActiveTable;
// The path of the shown table's file; empty until a file is opened or saved.
extern QString CurrentFileName;
// The text of the sort box's first entry, the no-sort entry.
extern QString NoSortCaption;

extern TMainForm* MainForm;
