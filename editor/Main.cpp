#include "editor/Main.h"

TClientDataSet* ActiveTable = nullptr;
QString CurrentFileName;
QString NoSortCaption;
TMainForm* MainForm = nullptr;
